// The kernel32 and comctl32 entry points the shell calls: a module table
// with one library (comctl32) whose functions are found by name, and a few
// string and arithmetic helpers.
#include <cstdlib>
#include <cstring>
#include <cwctype>

#include "user/comctl.h"
#include "user/user_internal.h"

namespace {

// Stand-in module handles; only their identity matters.
int g_processModule;
int g_comctlModule;

HMODULE ProcessModule() { return reinterpret_cast<HMODULE>(&g_processModule); }
HMODULE ComctlModule() { return reinterpret_cast<HMODULE>(&g_comctlModule); }

// Through void(*)(), the generic function pointer type, as GCC wants it.
template <typename F>
FARPROC AsFarProc(F* f) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(f));
}

bool IsComctlName(LPCWSTR name) { return lstrcmpiW(name, L"comctl32.dll") == 0 || lstrcmpiW(name, L"comctl32") == 0; }

}  // namespace

HMODULE LoadLibraryW(LPCWSTR name) {
  if (!name) return nullptr;
  return IsComctlName(name) ? ComctlModule() : nullptr;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
  if (module != ComctlModule() || !name) return nullptr;
  if (std::strcmp(name, "SetWindowSubclass") == 0) {
    return AsFarProc(&platform::comctl::SetWindowSubclassImpl);
  }
  if (std::strcmp(name, "RemoveWindowSubclass") == 0) {
    return AsFarProc(&platform::comctl::RemoveWindowSubclassImpl);
  }
  if (std::strcmp(name, "DefSubclassProc") == 0) {
    return AsFarProc(&platform::comctl::DefSubclassProcImpl);
  }
  return nullptr;
}

BOOL FreeLibrary(HMODULE module) { return module == ComctlModule() ? TRUE : FALSE; }

HMODULE GetModuleHandleW(LPCWSTR name) {
  if (!name) return ProcessModule();
  return IsComctlName(name) ? ComctlModule() : nullptr;
}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* icc) { return icc ? TRUE : FALSE; }

// number * numerator / denominator with a 64-bit intermediate, rounded half
// away from zero; -1 when the denominator is 0 or the result overflows.
int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  const long long product = static_cast<long long>(number) * numerator;
  long long magnitude = std::llabs(product);
  const long long d = std::llabs(static_cast<long long>(denominator));
  long long quotient = (magnitude + d / 2) / d;
  if ((product < 0) != (denominator < 0)) quotient = -quotient;
  if (quotient > 0x7FFFFFFFLL || quotient < -0x80000000LL) return -1;
  return static_cast<int>(quotient);
}

int lstrcmpiW(LPCWSTR a, LPCWSTR b) {
  if (!a || !b) return a == b ? 0 : (a ? 1 : -1);
  for (;; ++a, ++b) {
    const auto ca = std::towlower(static_cast<wint_t>(*a));
    const auto cb = std::towlower(static_cast<wint_t>(*b));
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return 0;
  }
}

int lstrlenW(LPCWSTR s) { return s ? static_cast<int>(std::wcslen(s)) : 0; }
