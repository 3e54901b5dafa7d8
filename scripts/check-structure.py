#!/usr/bin/env python3
"""Two checks of the code's shape that need no build.

Function size: no function body in src/ or platform/ is longer than
MAX_FUNCTION_LINES lines, counted from its opening brace to its closing one.
The longest ones are listed either way. With --tests, tests/ and bench/ are
measured and listed too, but never fail the check.

Folder cycles: the folders of src/ and platform/ are linked by their
'#include "folder/..."' lines; that graph must have no cycle. A folder nested
in another is part of it: includes between the two do not count. The graph is
printed, and every cycle with the includes that make it.

Exit status: 0 when both hold, 1 when one does not.
"""

import os
import re
import sys
from collections import defaultdict

MAX_FUNCTION_LINES = 130
HELD = ("src", "platform")
SOURCE_EXTS = (".cpp", ".h", ".c")

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def sources(trees):
    for tree in trees:
        for folder, dirs, files in os.walk(os.path.join(ROOT, tree)):
            dirs.sort()
            for name in sorted(files):
                if name.endswith(SOURCE_EXTS):
                    yield os.path.relpath(os.path.join(folder, name), ROOT)


def read(path):
    with open(os.path.join(ROOT, path), encoding="utf-8", errors="replace") as f:
        return f.read()


# ---- function size ------------------------------------------------------

RAW_STRING = re.compile(r'R"([^(\s]{0,16})\(')


def blank_out(text):
    """The text with comments, string and character literals and
    preprocessor lines replaced by spaces; newlines are kept, so line
    numbers still hold."""
    out = []
    i, n = 0, len(text)
    line_start = True
    while i < n:
        c = text[i]
        if line_start and c in " \t":
            out.append(c)
            i += 1
            continue
        if line_start and c == "#":
            # A directive, with its continuation lines.
            while i < n and text[i] != "\n":
                if text[i] == "\\" and i + 1 < n and text[i + 1] == "\n":
                    out.append(" \n")
                    i += 2
                    continue
                out.append(" ")
                i += 1
            continue
        line_start = False
        if c == "\n":
            out.append(c)
            line_start = True
            i += 1
        elif text.startswith("//", i):
            while i < n and text[i] != "\n":
                out.append(" ")
                i += 1
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            out.append(re.sub(r"[^\n]", " ", text[i:end]))
            i = end
        elif (m := RAW_STRING.match(text, i)) and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            end = text.find(")" + m.group(1) + '"', m.end())
            end = n if end < 0 else end + len(m.group(1)) + 2
            out.append(re.sub(r"[^\n]", " ", text[i:end]))
            i = end
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            # A digit separator (1'000) is not a character literal.
            if c == "'" and i > 0 and text[i - 1].isalnum() and j < n and text[j] != c:
                out.append(" ")
                i += 1
                continue
            out.append(c + " " * (min(j, n) - i - 1) + (c if j < n else ""))
            i = j + 1
        else:
            out.append(c)
            i += 1
    return "".join(out)


# A constructor's initializer list before a member's braces: "X::X() : a_"
MEMBER_INIT = re.compile(r"\)\s*(noexcept\s*)?:\s*(\w+\s*(\([^()]*\)|\{[^{}]*\})\s*,\s*)*\w+$")
CONTROL = re.compile(r"^(if|for|while|switch|catch|do|else|try|return)\b")
SCOPE = re.compile(r"^(template\s*<.*>\s*)?(class|struct|union|namespace|extern\s*\"C\")\b")


def function_name(head):
    """The function a block's head declares, or None when the block is no
    function body (a class, an initializer, a control statement)."""
    head = " ".join(head.split())
    if not head or "(" not in head or CONTROL.match(head):
        return None
    depth = 0
    for k, ch in enumerate(head):
        if ch in "<[":
            depth += 1
        elif ch in ">]":
            depth -= 1
        elif ch == "=" and not head[:k].rstrip().endswith("operator") and head[k - 1 : k + 1] not in ("==", "!=", "<=", ">="):
            if head[k + 1 : k + 2] != "=":
                return None  # an initializer: = {...} or a lambda
        elif ch == "(":
            before = head[:k].rstrip()
            m = re.search(r"(operator\s*\S+|~?[\w:]+)$", before)
            if not m:
                return None
            name = m.group(1)
            if re.fullmatch(r"[A-Z][A-Z0-9_]+", name):  # a test macro: TEST(Suite, Name)
                close = head.find(")", k)
                return head[m.start() : close + 1]
            return name
    return None


def functions(path):
    """(name, first line, lines) of every function body in a file."""
    text = blank_out(read(path))
    found = []
    # Scopes that may hold functions: the file, namespaces, classes.
    head_start = 0
    i, n = 0, len(text)
    line = 1
    while i < n:
        c = text[i]
        if c == "\n":
            line += 1
        elif c in ";}":
            head_start = i + 1
        elif c == "{":
            head = text[head_start:i]
            if SCOPE.match(" ".join(head.split())) and "(" not in head.split("{")[0].split(":")[0]:
                head_start = i + 1
                i += 1
                continue
            member_init = MEMBER_INIT.search(" ".join(head.split()))
            # An opaque block: a function body, an initializer, or a member's
            # braced initializer in a constructor's list; skip to its end.
            name = None if member_init else function_name(head)
            open_line, depth = line, 0
            while i < n:
                if text[i] == "{":
                    depth += 1
                elif text[i] == "}":
                    depth -= 1
                    if depth == 0:
                        break
                elif text[i] == "\n":
                    line += 1
                i += 1
            if name:
                found.append((name, open_line, line - open_line + 1))
            if not member_init:
                head_start = i + 1
        i += 1
    return found


def check_function_sizes(with_tests):
    held = [(lines, path, first, name) for path in sources(HELD) for name, first, lines in functions(path)]
    held.sort(reverse=True)
    ok = True
    print(f"== function size: at most {MAX_FUNCTION_LINES} lines in {', '.join(HELD)}")
    print("longest:")
    for lines, path, first, name in held[:5]:
        print(f"  {lines:4d}  {path}:{first}  {name}")
    for lines, path, first, name in held:
        if lines > MAX_FUNCTION_LINES:
            print(f"TOO LONG: {path}:{first} {name} is {lines} lines (at most {MAX_FUNCTION_LINES})")
            ok = False
    if with_tests:
        others = [(lines, path, first, name) for path in sources(("tests", "bench")) for name, first, lines in functions(path)]
        others.sort(reverse=True)
        print("longest in tests and bench (not held):")
        for lines, path, first, name in others[:5]:
            print(f"  {lines:4d}  {path}:{first}  {name}")
    return ok


# ---- folder cycles ------------------------------------------------------

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def folder_of(path):
    return os.path.dirname(path)


def resolve(including, target):
    """The folder an '#include "folder/..."' of a file in src/ or platform/
    names, or None when it names no folder of ours."""
    if "/" not in target or target.startswith("."):
        return None
    tree = including.split(os.sep)[0]
    for base in [tree] + [t for t in HELD if t != tree]:
        candidate = os.path.normpath(os.path.join(base, target))
        if os.path.exists(os.path.join(ROOT, candidate)):
            return folder_of(candidate)
    return None


def find_cycles(graph):
    """The strongly connected components of more than one folder (Tarjan)."""
    index, low, on_stack, stack, comps = {}, {}, set(), [], []
    counter = [0]

    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on_stack.add(v)
        for w in sorted(graph.get(v, ())):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on_stack:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            comp = []
            while True:
                w = stack.pop()
                on_stack.discard(w)
                comp.append(w)
                if w == v:
                    break
            if len(comp) > 1:
                comps.append(sorted(comp))

    for v in sorted(graph):
        if v not in index:
            visit(v)
    return comps


def check_include_cycles():
    graph = defaultdict(set)
    why = defaultdict(list)  # (from, to) -> ["file:line"]
    for path in sources(HELD):
        text = read(path)
        for m in INCLUDE.finditer(text):
            to = resolve(path, m.group(1))
            here = folder_of(path)
            graph[here]
            # A folder nested in another is a part of it (the drawing cache
            # inside the GDI): the two may call each other.
            nested = to and (to.startswith(here + os.sep) or here.startswith(to + os.sep))
            if to and to != here and not nested:
                graph[here].add(to)
                why[(here, to)].append(f"{path}:{text.count(chr(10), 0, m.start()) + 1}")
    print("== folder includes (folder -> folders it includes)")
    for folder in sorted(graph):
        print(f"  {folder} -> {', '.join(sorted(graph[folder])) or '-'}")
    cycles = find_cycles(graph)
    for comp in cycles:
        print(f"CYCLE among {', '.join(comp)}:")
        members = set(comp)
        for (a, b), places in sorted(why.items()):
            if a in members and b in members:
                print(f"  {a} -> {b}: {', '.join(places)}")
    if not cycles:
        print("no cycle")
    return not cycles


def main():
    with_tests = "--tests" in sys.argv[1:]
    sizes_ok = check_function_sizes(with_tests)
    includes_ok = check_include_cycles()
    return 0 if sizes_ok and includes_ok else 1


if __name__ == "__main__":
    sys.exit(main())
