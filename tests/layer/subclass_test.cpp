// Window subclassing through the common-controls module found by name, and
// the kernel32 helpers.
#include "layer_fixture.h"

namespace layer_test {
namespace {

using SetSubclassFn = BOOL (*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR);
using RemoveSubclassFn = BOOL (*)(HWND, SUBCLASSPROC, UINT_PTR);
using DefSubclassFn = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

template <typename F>
F Lookup(HMODULE module, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

constexpr UINT kPing = WM_APP + 5;

struct Trace {
  std::vector<std::string> calls;
  std::vector<DWORD_PTR> refs;
};
Trace& T() {
  static Trace trace;
  return trace;
}

class SubclassTest : public LayerTest {
 protected:
  void SetUp() override {
    LayerTest::SetUp();
    T() = Trace{};
    comctl = LoadLibraryW(L"comctl32.dll");
    ASSERT_TRUE(comctl);
    set = Lookup<SetSubclassFn>(comctl, "SetWindowSubclass");
    remove = Lookup<RemoveSubclassFn>(comctl, "RemoveWindowSubclass");
    def = Lookup<DefSubclassFn>(comctl, "DefSubclassProc");
    ASSERT_TRUE(set && remove && def);
    Defs() = def;
    Removes() = remove;
  }
  void TearDown() override {
    EXPECT_TRUE(FreeLibrary(comctl));
    LayerTest::TearDown();
  }

  static DefSubclassFn& Defs() {
    static DefSubclassFn fn;
    return fn;
  }
  static RemoveSubclassFn& Removes() {
    static RemoveSubclassFn fn;
    return fn;
  }

  static LRESULT CALLBACK First(HWND h, UINT m, WPARAM w, LPARAM l, UINT_PTR id, DWORD_PTR ref) {
    if (m == kPing) {
      T().calls.push_back("first" + std::to_string(id));
      T().refs.push_back(ref);
    }
    return Defs()(h, m, w, l);
  }
  static LRESULT CALLBACK Second(HWND h, UINT m, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR) {
    if (m == kPing) T().calls.push_back("second");
    return Defs()(h, m, w, l) + 100;
  }
  static LRESULT CALLBACK Swallow(HWND h, UINT m, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR) {
    if (m == kPing) return 7;
    return Defs()(h, m, w, l);
  }
  // Removes itself and the next one while handling a message.
  static LRESULT CALLBACK Remover(HWND h, UINT m, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR) {
    if (m == kPing) {
      T().calls.push_back("remover");
      Removes()(h, Remover, 0);
      Removes()(h, Second, 0);
    }
    return Defs()(h, m, w, l);
  }

  HMODULE comctl = nullptr;
  SetSubclassFn set = nullptr;
  RemoveSubclassFn remove = nullptr;
  DefSubclassFn def = nullptr;
};

LRESULT WindowAnswer(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == kPing) {
    T().calls.push_back("window");
    return 1;
  }
  return DefWindowProcW(h, m, w, l);
}

TEST_F(SubclassTest, OnlyComctlIsFoundAndOnlyItsThreeFunctions) {
  EXPECT_EQ(LoadLibraryW(L"COMCTL32.DLL"), comctl);
  EXPECT_EQ(LoadLibraryW(L"user32.dll"), nullptr);
  EXPECT_EQ(GetProcAddress(comctl, "InitCommonControls"), nullptr);
  EXPECT_EQ(GetProcAddress(nullptr, "SetWindowSubclass"), nullptr);
  EXPECT_NE(GetModuleHandleW(nullptr), nullptr);
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
  EXPECT_TRUE(InitCommonControlsEx(&icc));
}

// The newest subclass runs first and DefSubclassProc ends at the window
// proc, for sent and queued messages alike; attaching again only renews the
// data (another id is another subclass); a subclass may answer alone.
TEST_F(SubclassTest, NewestRunsFirstAndDefSubclassProcEndsAtTheWindowProc) {
  struct Row {
    const char* name;
    std::function<void(HWND)> attach;
    LRESULT result;
    std::vector<std::string> calls;
    std::vector<DWORD_PTR> refs;
  };
  const Row rows[] = {
      {"two",
       [&](HWND top) {
         ASSERT_TRUE(set(top, First, 1, 11));
         ASSERT_TRUE(set(top, Second, 0, 0));
       },
       101,
       {"second", "first1", "window"},
       {11}},
      {"attached again",
       [&](HWND top) {
         ASSERT_TRUE(set(top, First, 1, 11));
         ASSERT_TRUE(set(top, Second, 0, 0));
         ASSERT_TRUE(set(top, First, 1, 22));  // stays where it was: behind Second
         ASSERT_TRUE(set(top, First, 2, 33));
       },
       101,
       {"first2", "second", "first1", "window"},
       {33, 22}},
      {"answering alone",
       [&](HWND top) {
         set(top, First, 1, 0);
         set(top, Swallow, 0, 0);
       },
       7,
       {},
       {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    HWND top = CreateTop();
    SetHandler(WindowAnswer);
    row.attach(top);
    T() = Trace{};
    EXPECT_EQ(SendMessageW(top, kPing, 0, 0), row.result);
    EXPECT_EQ(T().calls, row.calls);
    EXPECT_EQ(T().refs, row.refs);
    T() = Trace{};
    PostMessageW(top, kPing, 0, 0);
    Pump();
    EXPECT_EQ(T().calls, row.calls) << "from the queue";
    DestroyWindow(top);
  }
}

TEST_F(SubclassTest, RemovalDuringAMessageIsSafe) {
  HWND top = CreateTop();
  SetHandler(WindowAnswer);
  set(top, Second, 0, 0);
  set(top, First, 1, 0);
  set(top, Remover, 0, 0);
  SendMessageW(top, kPing, 0, 0);
  // Second was removed before its turn came: the message skips it.
  EXPECT_EQ(T().calls, (std::vector<std::string>{"remover", "first1", "window"}));
  T().calls.clear();
  SendMessageW(top, kPing, 0, 0);
  EXPECT_EQ(T().calls, (std::vector<std::string>{"first1", "window"}));
  EXPECT_TRUE(remove(top, First, 1));
  EXPECT_FALSE(remove(top, First, 1));
  T().calls.clear();
  SendMessageW(top, kPing, 0, 0);
  EXPECT_EQ(T().calls, (std::vector<std::string>{"window"}));
}

TEST_F(SubclassTest, NestedMessagesKeepTheirOwnPlaceInTheChain) {
  HWND top = CreateTop();
  static HWND target;
  target = top;
  SetHandler([](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == kPing) {
      T().calls.push_back("window" + std::to_string(w));
      if (w == 0) SendMessageW(target, kPing, 1, 0);  // a message sent from inside another
      return 1;
    }
    return DefWindowProcW(h, m, w, l);
  });
  set(top, First, 1, 0);
  SendMessageW(top, kPing, 0, 0);
  EXPECT_EQ(T().calls, (std::vector<std::string>{"first1", "window0", "first1", "window1"}));
}

TEST_F(SubclassTest, SubclassesEndWithTheWindowAndBadHandlesFail) {
  HWND top = CreateTop();
  set(top, First, 1, 0);
  DestroyWindow(top);
  EXPECT_FALSE(set(top, First, 1, 0));
  EXPECT_FALSE(remove(top, First, 1));
  EXPECT_EQ(def(top, kPing, 0, 0), 0);
}

TEST(KernelTest, MulDivRoundsLikeWindows) {
  const struct {
    int number, numerator, denominator, expected;
  } rows[] = {
      {15, 96, 72, 20},
      {5, 1, 2, 3},  // halves round away from zero
      {-5, 1, 2, -3},
      {5, -1, 2, -3},
      {7, 1, 3, 2},
      {1, 2, 0, -1},
      {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF},  // no overflow in between
      {0x7FFFFFFF, 2, 1, -1},
  };
  for (const auto& r : rows)
    EXPECT_EQ(MulDiv(r.number, r.numerator, r.denominator), r.expected)
        << r.number << " * " << r.numerator << " / " << r.denominator;
}

TEST(KernelTest, StringHelpers) {
  EXPECT_EQ(lstrcmpiW(L"Edit", L"EDIT"), 0);
  EXPECT_LT(lstrcmpiW(L"Edit", L"Editor"), 0);
  EXPECT_GT(lstrcmpiW(L"b", L"A"), 0);
  EXPECT_EQ(lstrlenW(L"Brenvik"), 7);
  EXPECT_EQ(lstrlenW(nullptr), 0);
}

}  // namespace
}  // namespace layer_test
