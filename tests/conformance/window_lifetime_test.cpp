// Creation and destruction: what a window procedure hears, and in what order.
#include "conformance.h"

namespace conformance {
namespace {

using WindowLifetime = ConformanceTest;

TEST_F(WindowLifetime, CreationMessagesCarryTheCreateStruct) {
  int marker = 0;
  HWND top = CreateTop(30, 50, 300, 120, WS_VISIBLE, &marker);
  ASSERT_NE(top, nullptr);
  HWND child = CreateChild(top, 5, 6, 70, 40, 42, &marker);
  ASSERT_NE(child, nullptr);
  for (UINT msg : {static_cast<UINT>(WM_NCCREATE), static_cast<UINT>(WM_CREATE)}) {
    SCOPED_TRACE(msg == WM_CREATE ? "WM_CREATE" : "WM_NCCREATE");
    const auto topSeen = Only(msg, top);
    ASSERT_EQ(topSeen.size(), 1u);
    ASSERT_TRUE(topSeen[0].hasCreate) << "lParam is 0, not a CREATESTRUCTW";
    const CREATESTRUCTW& t = topSeen[0].create;
    EXPECT_EQ(t.lpCreateParams, &marker);
    EXPECT_EQ(t.hwndParent, nullptr);
    EXPECT_EQ(t.x, 30);
    EXPECT_EQ(t.y, 50);
    EXPECT_EQ(t.cx, 300);
    EXPECT_EQ(t.cy, 120);
    EXPECT_TRUE(static_cast<DWORD>(t.style) & WS_POPUP);
    EXPECT_EQ(topSeen[0].createClass, RecordingClass());

    const auto childSeen = Only(msg, child);
    ASSERT_EQ(childSeen.size(), 1u);
    ASSERT_TRUE(childSeen[0].hasCreate);
    const CREATESTRUCTW& c = childSeen[0].create;
    EXPECT_EQ(c.lpCreateParams, &marker);
    EXPECT_EQ(c.hwndParent, top);
    EXPECT_EQ(c.hMenu, reinterpret_cast<HMENU>(static_cast<INT_PTR>(42)));
    EXPECT_EQ(c.x, 5);
    EXPECT_EQ(c.y, 6);
    EXPECT_EQ(c.cx, 70);
    EXPECT_EQ(c.cy, 40);
    EXPECT_TRUE(static_cast<DWORD>(c.style) & WS_CHILD);
  }
}

TEST_F(WindowLifetime, CreationOrderIsNcCreateCreateThenSizeBeforeReturning) {
  HWND top = CreateTop(10, 10, 200, 100, WS_VISIBLE);
  ASSERT_NE(top, nullptr);
  const int ncCreate = IndexOf(WM_NCCREATE, top);
  const int create = IndexOf(WM_CREATE, top);
  const int size = IndexOf(WM_SIZE, top);
  ASSERT_GE(ncCreate, 0);
  EXPECT_LT(ncCreate, create);
  EXPECT_LT(create, size) << "WM_SIZE is due before CreateWindowExW returns";
  const auto sizes = Only(WM_SIZE, top);
  ASSERT_FALSE(sizes.empty());
  EXPECT_EQ(LOWORD(sizes.back().lParam), 200);
  EXPECT_EQ(HIWORD(sizes.back().lParam), 100);
  // WS_VISIBLE shows it before the call returns.
  EXPECT_TRUE(GetWindowLongPtrW(top, GWL_STYLE) & WS_VISIBLE);

  // Without WS_VISIBLE it stays hidden until ShowWindow.
  HWND hidden = CreateTop(10, 10, 50, 50, 0);
  ASSERT_NE(hidden, nullptr);
  EXPECT_FALSE(GetWindowLongPtrW(hidden, GWL_STYLE) & WS_VISIBLE);
  EXPECT_FALSE(ShowWindow(hidden, SW_SHOW)) << "ShowWindow returns whether it was visible before";
  EXPECT_TRUE(GetWindowLongPtrW(hidden, GWL_STYLE) & WS_VISIBLE);
  EXPECT_TRUE(ShowWindow(hidden, SW_HIDE));
}

TEST_F(WindowLifetime, FailingCreationReturnsNullAndStillEndsWithNcDestroy) {
  SetHandler([](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (msg == WM_CREATE) return -1;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  });
  EXPECT_EQ(CreateTop(), nullptr);
  ASSERT_EQ(Only(WM_CREATE).size(), 1u);
  const HWND doomed = Only(WM_CREATE)[0].hwnd;
  EXPECT_FALSE(IsWindow(doomed));
  EXPECT_EQ(Only(WM_NCDESTROY, doomed).size(), 1u);
  EXPECT_TRUE(Only(WM_SIZE, doomed).empty());

  // WM_NCCREATE returning FALSE stops it before WM_CREATE.
  Log().clear();
  SetHandler([](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (msg == WM_NCCREATE) return FALSE;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  });
  EXPECT_EQ(CreateTop(), nullptr);
  EXPECT_TRUE(Only(WM_CREATE).empty());
}

TEST_F(WindowLifetime, DestroyTellsTheParentFirstAndFreesTheChildrenFirst) {
  HWND top = CreateTop();
  HWND child = CreateChild(top, 0, 0, 20, 20);
  HWND grandchild = CreateChild(child, 0, 0, 10, 10);
  ASSERT_NE(grandchild, nullptr);
  SetHandler([&](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
    // During WM_DESTROY the children still exist and can be read.
    if (msg == WM_DESTROY && hwnd == top) {
      EXPECT_TRUE(IsWindow(child));
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  });
  Log().clear();
  EXPECT_TRUE(DestroyWindow(top));
  EXPECT_FALSE(IsWindow(top));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_FALSE(IsWindow(grandchild));
  for (HWND hwnd : {top, child, grandchild}) {
    EXPECT_EQ(Only(WM_DESTROY, hwnd).size(), 1u);
    EXPECT_EQ(Only(WM_NCDESTROY, hwnd).size(), 1u);
    EXPECT_LT(IndexOf(WM_DESTROY, hwnd), IndexOf(WM_NCDESTROY, hwnd));
  }
  EXPECT_LT(IndexOf(WM_DESTROY, top), IndexOf(WM_DESTROY, child));
  EXPECT_LT(IndexOf(WM_DESTROY, child), IndexOf(WM_DESTROY, grandchild));
  EXPECT_LT(IndexOf(WM_NCDESTROY, grandchild), IndexOf(WM_NCDESTROY, child));
  EXPECT_LT(IndexOf(WM_NCDESTROY, child), IndexOf(WM_NCDESTROY, top));
  // Every WM_DESTROY comes before any WM_NCDESTROY.
  EXPECT_LT(IndexOf(WM_DESTROY, grandchild), IndexOf(WM_NCDESTROY, grandchild));
  EXPECT_FALSE(DestroyWindow(top)) << "a stale handle";
}

TEST_F(WindowLifetime, DestroyingTheFocusedChildLeavesNoFocusOnIt) {
  HWND top = CreateTop();
  HWND edit = CreateEdit(top);
  SetFocus(edit);
  ASSERT_EQ(GetFocus(), edit);
  DestroyWindow(edit);
  EXPECT_NE(GetFocus(), edit);
}

}  // namespace
}  // namespace conformance
