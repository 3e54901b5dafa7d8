#include "null/null_driver.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "events.h"
#include "extended_keys.h"
#include "user/user_internal.h"

namespace platform {

NullDriver::~NullDriver() {
  if (virtualClock_) SetClockForTests(nullptr);
}

const NullDriver::TopLevel* NullDriver::Find(HWND hwnd) const {
  auto it = windows_.find(hwnd);
  return it == windows_.end() ? nullptr : &it->second;
}

NullDriver::TopLevel* NullDriver::FindMutable(HWND hwnd) {
  auto it = windows_.find(hwnd);
  return it == windows_.end() ? nullptr : &it->second;
}

COLORREF NullDriver::Pixel(HWND hwnd, int x, int y) const {
  const TopLevel* w = Find(hwnd);
  if (!w || x < 0 || y < 0 || x >= w->frameWidth || y >= w->frameHeight) return CLR_INVALID;
  const std::uint32_t p = w->frame[static_cast<std::size_t>(y) * w->frameWidth + x];
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

int NullDriver::PresentCount(HWND hwnd) const {
  const TopLevel* w = Find(hwnd);
  return w ? w->presents : 0;
}

void NullDriver::BlockGrab(UINT vk, bool blocked) {
  if (blocked) {
    blocked_.insert(vk);
  } else {
    blocked_.erase(vk);
  }
}

void NullDriver::UseVirtualClock(std::int64_t startMs) {
  virtualClock_ = true;
  nowMs_ = startMs;
  SetClockForTests([this] { return nowMs_; });
}

void NullDriver::AdvanceTime(std::int64_t ms) { nowMs_ += ms; }

void NullDriver::FollowCursor(HWND top, int x, int y) {
  if (const TopLevel* w = Find(top)) cursor_ = POINT{w->geometry.left + x, w->geometry.top + y};
}

void NullDriver::MoveMouse(HWND top, int x, int y) {
  FollowCursor(top, x, y);
  OnMouseMove(top, x, y);
}

void NullDriver::Press(HWND top, int x, int y) {
  FollowCursor(top, x, y);
  OnButton(top, true, x, y);
}

void NullDriver::Release(HWND top, int x, int y) {
  FollowCursor(top, x, y);
  OnButton(top, false, x, y);
}

void NullDriver::Click(HWND top, int x, int y) {
  Press(top, x, y);
  Release(top, x, y);
}

void NullDriver::Wheel(HWND top, int delta, int x, int y) {
  FollowCursor(top, x, y);
  OnWheel(top, delta, x, y);
}

void NullDriver::Key(HWND top, UINT vk, bool down, bool repeat, bool alt) {
  OnKey(top, vk, MapVirtualKeyW(vk, MAPVK_VK_TO_VSC), IsExtendedKey(vk), down, repeat, alt);
}

void NullDriver::KeyPress(HWND top, UINT vk) {
  Key(top, vk, true);
  Key(top, vk, false);
}

void NullDriver::Char(HWND top, WCHAR ch) { OnChar(top, ch); }

void NullDriver::Type(HWND top, const std::wstring& text) {
  for (WCHAR ch : text) OnChar(top, ch);
}

void NullDriver::Hotkey(UINT vk) { OnHotkey(vk); }

void NullDriver::CreateTopLevel(HWND hwnd, const TopLevelInit& init) {
  TopLevel& w = windows_[hwnd];
  w = TopLevel{};
  w.init = init;
  w.geometry = RECT{init.x, init.y, init.x + init.width, init.y + init.height};
  w.clickThrough = (init.exStyle & WS_EX_TRANSPARENT) != 0;
}

void NullDriver::DestroyTopLevel(HWND hwnd) {
  windows_.erase(hwnd);
  if (focused_ == hwnd) focused_ = nullptr;
  if (capture_ == hwnd) capture_ = nullptr;
}

void NullDriver::ShowTopLevel(HWND hwnd, bool visible) {
  if (TopLevel* w = FindMutable(hwnd)) w->visible = visible;
}

void NullDriver::MoveTopLevel(HWND hwnd, int x, int y, int width, int height) {
  if (TopLevel* w = FindMutable(hwnd)) w->geometry = RECT{x, y, x + width, y + height};
}

void NullDriver::SetOpacity(HWND hwnd, BYTE alpha) {
  if (TopLevel* w = FindMutable(hwnd)) w->opacity = alpha;
}

void NullDriver::SetClickThrough(HWND hwnd, bool enabled) {
  if (TopLevel* w = FindMutable(hwnd)) w->clickThrough = enabled;
}

void NullDriver::RaiseTopMost(HWND hwnd) {
  if (TopLevel* w = FindMutable(hwnd)) ++w->topMostRaises;
}

void NullDriver::SetCursorShape(HWND hwnd, CursorShape shape) {
  if (TopLevel* w = FindMutable(hwnd)) w->cursor = shape;
}

void NullDriver::FocusTopLevel(HWND hwnd) {
  if (FindMutable(hwnd)) focused_ = hwnd;
}

void NullDriver::Present(HWND hwnd, const std::uint32_t* pixels, int stride, int width, int height, const RECT& dirty) {
  TopLevel* w = FindMutable(hwnd);
  if (!w || !pixels || width < 0 || height < 0) return;
  // The whole frame is copied: the window model's frame holds all of it.
  w->frameWidth = width;
  w->frameHeight = height;
  w->frame.assign(static_cast<std::size_t>(width) * height, 0);
  const int rowPixels = stride / 4;
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* row = pixels + static_cast<std::ptrdiff_t>(y) * rowPixels;
    for (int x = 0; x < width; ++x) w->frame[static_cast<std::size_t>(y) * width + x] = row[x] & 0xFFFFFF;
  }
  w->lastDirty = dirty;
  ++w->presents;
  ++totalPresents_;
}

bool NullDriver::GrabHotkey(int, UINT vk) {
  if (blocked_.count(vk) || grabbed_.count(vk)) return false;
  grabbed_.insert(vk);
  return true;
}

void NullDriver::WaitAndDispatchEvents(int timeoutMs) {
  ++waits_;
  if (onWait) {
    onWait(timeoutMs);
    return;
  }
  if (timeoutMs < 0) {
    // Nothing would ever arrive: a test that gets here would hang.
    std::fprintf(stderr, "NullDriver: the message loop waits forever with no input to come\n");
    std::abort();
  }
  if (virtualClock_) {
    nowMs_ += timeoutMs;
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
  }
}

}  // namespace platform
