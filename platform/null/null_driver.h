// A headless display for tests: windows live in memory, the last presented
// frame of each can be read back pixel by pixel, window state can be
// queried, and input is injected through the window model's entry points.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "driver.h"

namespace platform {

class NullDriver : public Driver {
 public:
  struct TopLevel {
    TopLevelInit init;
    RECT geometry{};  // screen coordinates
    bool visible = false;
    BYTE opacity = 255;
    bool clickThrough = false;
    int topMostRaises = 0;
    CursorShape cursor = CursorShape::Arrow;
    std::vector<std::uint32_t> frame;  // 0x00RRGGBB, frameWidth x frameHeight
    int frameWidth = 0;
    int frameHeight = 0;
    int presents = 0;
    RECT lastDirty{};
  };

  NullDriver() = default;
  ~NullDriver() override;
  NullDriver(const NullDriver&) = delete;
  NullDriver& operator=(const NullDriver&) = delete;

  // ---- Queries ----
  // nullptr when the window is not (or no longer) a top-level of this driver.
  const TopLevel* Find(HWND hwnd) const;
  // The last presented pixel as a COLORREF; CLR_INVALID outside the frame
  // or before anything was presented.
  COLORREF Pixel(HWND hwnd, int x, int y) const;
  int PresentCount(HWND hwnd) const;
  int TotalPresentCount() const { return totalPresents_; }
  HWND FocusedTopLevel() const { return focused_; }
  HWND CaptureTopLevel() const { return capture_; }
  bool IsGrabbed(UINT vk) const { return grabbed_.count(vk) != 0; }
  // Makes GrabHotkey(vk) fail, as if another client held the key.
  void BlockGrab(UINT vk, bool blocked = true);

  // ---- Time ----
  // Puts a clock in place that moves only by AdvanceTime and by waits of the
  // message loop, so timer tests never sleep.
  void UseVirtualClock(std::int64_t startMs = 1000);
  void AdvanceTime(std::int64_t ms);
  std::int64_t NowMs() const { return nowMs_; }
  // Called instead of the default behaviour whenever the message loop waits
  // (with the timeout it asked for); a test injects input from here.
  std::function<void(int timeoutMs)> onWait;
  int WaitCount() const { return waits_; }

  // ---- Input ----
  void SetCursorPosition(POINT screen) { cursor_ = screen; }
  // Coordinates are client pixels of the top-level `top`; the cursor
  // position follows them.
  void MoveMouse(HWND top, int x, int y);
  void Press(HWND top, int x, int y);
  void Release(HWND top, int x, int y);
  void Click(HWND top, int x, int y);
  void Wheel(HWND top, int delta, int x, int y);
  // A key with its US scan code and extended flag.
  void Key(HWND top, UINT vk, bool down, bool repeat = false, bool alt = false);
  void KeyPress(HWND top, UINT vk);  // down then up
  void Char(HWND top, WCHAR ch);
  void Type(HWND top, const std::wstring& text);
  void Hotkey(UINT vk);

  // ---- Driver ----
  void CreateTopLevel(HWND hwnd, const TopLevelInit& init) override;
  void DestroyTopLevel(HWND hwnd) override;
  void ShowTopLevel(HWND hwnd, bool visible) override;
  void MoveTopLevel(HWND hwnd, int x, int y, int width, int height) override;
  void SetOpacity(HWND hwnd, BYTE alpha) override;
  void SetClickThrough(HWND hwnd, bool enabled) override;
  void RaiseTopMost(HWND hwnd) override;
  void SetCursorShape(HWND hwnd, CursorShape shape) override;
  void FocusTopLevel(HWND hwnd) override;
  void Present(HWND hwnd, const std::uint32_t* pixels, int stride, int width, int height, const RECT& dirty) override;
  POINT CursorPos() override { return cursor_; }
  void SetCapture(HWND hwnd) override { capture_ = hwnd; }
  bool GrabHotkey(int id, UINT vk) override;
  void UngrabHotkey(UINT vk) override { grabbed_.erase(vk); }
  void SetClipboardText(const std::wstring& text) override { clipboard_ = text; }
  std::wstring ClipboardText() override { return clipboard_; }
  int DpiY() override { return 96; }
  void WaitAndDispatchEvents(int timeoutMs) override;
  void Wake() override {}

 private:
  TopLevel* FindMutable(HWND hwnd);
  void FollowCursor(HWND top, int x, int y);

  std::map<HWND, TopLevel> windows_;
  HWND focused_ = nullptr;
  HWND capture_ = nullptr;
  std::set<UINT> grabbed_;
  std::set<UINT> blocked_;
  std::wstring clipboard_;
  POINT cursor_{0, 0};
  bool virtualClock_ = false;
  std::int64_t nowMs_ = 0;
  int totalPresents_ = 0;
  int waits_ = 0;
};

}  // namespace platform
