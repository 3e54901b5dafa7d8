// The display driver interface: what the window model and GDI need from a
// display. Two drivers implement it: x11/ (a real X server) and null/
// (headless, for tests). Only drivers talk to a display; the window model
// and GDI never include Xlib.
#pragma once

#include <cstdint>
#include <string>

#include "win32_layer.h"

namespace platform {

enum class CursorShape { Arrow, Hand, IBeam };

// A top-level window as the window model creates it.
struct TopLevelInit {
  std::wstring title;                       // "Brenvik"
  std::wstring className;                   // "BrenvikApp"
  int x = 0, y = 0, width = 0, height = 0;  // screen pixels
  DWORD style = 0;
  DWORD exStyle = 0;  // WS_EX_TOPMOST, WS_EX_TOOLWINDOW, WS_EX_LAYERED ...
};

class Driver {
 public:
  virtual ~Driver() = default;

  // Top-level windows (children are the window model's own business).
  virtual void CreateTopLevel(HWND hwnd, const TopLevelInit& init) = 0;
  virtual void DestroyTopLevel(HWND hwnd) = 0;
  virtual void ShowTopLevel(HWND hwnd, bool visible) = 0;
  virtual void MoveTopLevel(HWND hwnd, int x, int y, int width, int height) = 0;
  virtual void SetOpacity(HWND hwnd, BYTE alpha) = 0;
  virtual void SetClickThrough(HWND hwnd, bool enabled) = 0;
  virtual void RaiseTopMost(HWND hwnd) = 0;
  virtual void SetCursorShape(HWND hwnd, CursorShape shape) = 0;
  // Keyboard focus to this top-level (a press on one of its edit boxes).
  virtual void FocusTopLevel(HWND hwnd) = 0;

  // One frame of a top-level: `pixels` is 0x00RRGGBB, `stride` bytes per
  // row, the whole window; `dirty` is the part that changed. One transfer.
  virtual void Present(HWND hwnd, const std::uint32_t* pixels, int stride, int width, int height,
                       const RECT& dirty) = 0;

  // Pointer.
  virtual POINT CursorPos() = 0;
  virtual void SetCapture(HWND hwnd) = 0;  // nullptr releases

  // System-wide bare-key hotkeys, by virtual-key code, under the id the
  // key is registered with. False when the key cannot be had (held by
  // another client).
  virtual bool GrabHotkey(int id, UINT vk) = 0;
  virtual void UngrabHotkey(UINT vk) = 0;

  // Clipboard (UTF-32 text).
  virtual void SetClipboardText(const std::wstring& text) = 0;
  virtual std::wstring ClipboardText() = 0;

  // Screen resolution (dots per inch, vertical).
  virtual int DpiY() = 0;

  // Waits up to `timeoutMs` (-1: forever) for display events and feeds each
  // one to the window model through platform/events.h. Returns when at
  // least one event was handled or the time ran out.
  virtual void WaitAndDispatchEvents(int timeoutMs) = 0;
  // Wakes a WaitAndDispatchEvents in progress (not needed on one thread,
  // but keeps a posted message from waiting for a timeout).
  virtual void Wake() = 0;
};

// The driver in use. The process sets it once, before any window exists.
void SetDriver(Driver* driver);
Driver* GetDriver();

}  // namespace platform
