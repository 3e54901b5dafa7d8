// Window subclassing through comctl32, and the hotkey registry.
#include "conformance.h"

#include <string>
#include <vector>

namespace conformance {
namespace {

constexpr UINT kPing = WM_APP + 9;

std::vector<std::string>& Calls() {
  static std::vector<std::string> calls;
  return calls;
}

LRESULT CALLBACK First(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR ref) {
  if (msg == kPing) Calls().push_back("first " + std::to_string(id) + " " + std::to_string(ref));
  if (msg == WM_NCDESTROY) Calls().push_back("first ncdestroy");
  return Subclassing().def(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK Second(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (msg == kPing) {
    Calls().push_back("second");
    if (wParam == 1) return 77;  // handled here: no one below hears it
  }
  return Subclassing().def(hwnd, msg, wParam, lParam);
}

class SubclassAndHotkey : public ConformanceTest {
 protected:
  void SetUp() override {
    ConformanceTest::SetUp();
    Calls().clear();
  }
};

TEST_F(SubclassAndHotkey, SubclassesRunNewestFirstAndReachTheWindowProc) {
  HWND top = CreateTop();
  const auto& api = Subclassing();
  ASSERT_TRUE(api.set(top, First, 1, 11));
  ASSERT_TRUE(api.set(top, Second, 1, 0));
  Log().clear();
  SendMessageW(top, kPing, 0, 0);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"second", "first 1 11"}));
  EXPECT_EQ(Only(kPing).size(), 1u) << "the window procedure hears it last";

  Calls().clear();
  Log().clear();
  EXPECT_EQ(SendMessageW(top, kPing, 1, 0), 77);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"second"}));
  EXPECT_TRUE(Only(kPing).empty());

  // The same proc and id again only changes the reference data.
  ASSERT_TRUE(api.set(top, First, 1, 22));
  ASSERT_TRUE(api.remove(top, Second, 1));
  Calls().clear();
  SendMessageW(top, kPing, 0, 0);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"first 1 22"}));
  EXPECT_FALSE(api.remove(top, Second, 1)) << "already removed";

  // A subclass still installed hears WM_NCDESTROY.
  Calls().clear();
  DestroyWindow(top);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"first ncdestroy"}));
}

TEST_F(SubclassAndHotkey, AKeyIsTakenOnceAndAnIdCanBeRegisteredAgain) {
  HWND top = CreateTop();
  const UINT mods = MOD_CONTROL | MOD_ALT | MOD_SHIFT;
  ASSERT_TRUE(RegisterHotKey(top, 1, mods, VK_F12));
  EXPECT_FALSE(RegisterHotKey(top, 2, mods, VK_F12)) << "the same key twice";
  EXPECT_TRUE(RegisterHotKey(top, 1, mods, VK_F10)) << "the same id again is allowed";
  EXPECT_FALSE(RegisterHotKey(top, 2, mods, VK_F10)) << "and holds its new key";
  EXPECT_TRUE(UnregisterHotKey(top, 1));
  EXPECT_FALSE(UnregisterHotKey(top, 1)) << "nothing is left under the id";
  EXPECT_FALSE(UnregisterHotKey(top, 2)) << "an id never registered";
  // Both keys are free again.
  EXPECT_TRUE(RegisterHotKey(top, 3, mods, VK_F12));
  EXPECT_TRUE(RegisterHotKey(top, 4, mods, VK_F10));
  for (int id : {3, 4}) EXPECT_TRUE(UnregisterHotKey(top, id));
}

TEST_F(SubclassAndHotkey, DestroyingTheWindowFreesItsHotkeys) {
  HWND top = CreateTop();
  const UINT mods = MOD_CONTROL | MOD_ALT | MOD_SHIFT;
  ASSERT_TRUE(RegisterHotKey(top, 1, mods, VK_F12));
  DestroyWindow(top);
  HWND next = CreateTop();
  EXPECT_TRUE(RegisterHotKey(next, 1, mods, VK_F12));
  UnregisterHotKey(next, 1);
}

}  // namespace
}  // namespace conformance
