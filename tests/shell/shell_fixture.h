// The real shell on the headless driver: each test gets a fresh working
// directory and a fresh desktop, starts the shell, drives it with messages
// and reads back state, files and the presented frame.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editor/split_editor.h"
#include "events.h"
#include "hotkeys/hotkeys.h"
#include "null/null_driver.h"
#include "run/run_state.h"
#include "shell/app.h"
#include "shell/window_proc.h"
#include "storage/keybind_file.h"
#include "win32.h"
#include "window/layout.h"
#include "window/overlay.h"

namespace shelltest {

// A colour as the tests write it, compared with the frame's COLORREF.
constexpr COLORREF Rgb(int r, int g, int b) {
  return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}

inline constexpr COLORREF kBackground = Rgb(30, 32, 40);
inline constexpr COLORREF kControlFill = Rgb(47, 51, 65);
inline constexpr COLORREF kOutline = Rgb(55, 62, 78);
inline constexpr COLORREF kText = Rgb(232, 232, 242);
inline constexpr COLORREF kActiveTab = Rgb(24, 26, 32);
inline constexpr COLORREF kInactiveTab = Rgb(20, 21, 27);
inline constexpr COLORREF kCloseDisc = Rgb(24, 26, 32);
inline constexpr COLORREF kCloseDiscHovered = Rgb(239, 71, 111);
inline constexpr COLORREF kOverlayLabel = Rgb(84, 180, 255);
inline constexpr COLORREF kInteractiveLabel = Rgb(255, 220, 100);
inline constexpr COLORREF kGreenBox = Rgb(37, 107, 68);
inline constexpr COLORREF kScrollTrack = Rgb(50, 55, 70);
inline constexpr COLORREF kScrollThumb = Rgb(90, 120, 170);
inline constexpr COLORREF kViolet = Rgb(177, 85, 255);
inline constexpr COLORREF kLightGreen = Rgb(180, 255, 180);
inline constexpr COLORREF kLightYellow = Rgb(255, 255, 120);
inline constexpr COLORREF kPaleYellowGreen = Rgb(240, 255, 160);

// Tab centres and the panel buttons' centres, in client pixels.
inline constexpr POINT kTimerTab{47, 17};
inline constexpr POINT kKeybindsTab{142, 17};
inline constexpr POINT kEditSplitsTab{237, 17};
inline constexpr POINT kCloseButton{298, 22};
inline constexpr POINT kToggleButton{160, 101};
inline constexpr POINT kSplitButton{160, 143};
inline constexpr POINT kCancelButton{160, 185};
inline constexpr POINT kSaveButton{160, 227};
inline constexpr POINT kAddButton{160, 115};
inline constexpr POINT kRemoveButton{160, 157};
inline constexpr POINT kResetBestButton{160, 199};

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Files of the working directory.
  void WriteFile(const std::string& name, const std::string& bytes);
  std::optional<std::string> ReadFile(const std::string& name) const;
  bool FileExists(const std::string& name) const;
  // Lines of a file, CR LF pairs split; empty when the file is missing.
  std::vector<std::string> FileLines(const std::string& name) const;
  // Names of every file in the working directory.
  std::vector<std::string> FilesPresent() const;

  // StartUp, then every message it queued.
  void Start();
  // Processes queued messages (paints included) until the queue is idle.
  void Pump();
  // The layer's clock stands still; this moves it on so timers become due.
  void AdvanceClock(int ms);

  // Messages straight to the main window, each followed by a pump.
  void Post(UINT msg, WPARAM wParam, LPARAM lParam);
  void Hotkey(int id);
  void ToInteractive();
  void PressAt(int x, int y);
  void ReleaseAt(int x, int y);
  void ClickAt(int x, int y);
  void ClickAt(POINT p) { ClickAt(p.x, p.y); }
  void MoveTo(int x, int y);
  void Wheel(int delta);
  void KeyDown(int vk);
  void OpenTab(POINT tab) { ClickAt(tab); }
  // Asks for a full frame and pumps it out (after direct state changes).
  void Repaint();

  // Input through the driver and the window model's routing (children,
  // capture, focus), as a real mouse and keyboard would deliver it.
  void InjectClick(int x, int y);
  void InjectKey(UINT vk, bool ctrl = false);
  void InjectText(const std::wstring& text);

  // The presented frame.
  COLORREF Pixel(int x, int y) const;
  // Whether any pixel of the rectangle (right and bottom excluded) has `c`.
  bool RegionHas(const RECT& r, COLORREF c) const;
  // The pixels of the rectangle (right and bottom excluded), row by row.
  std::vector<COLORREF> Snapshot(const RECT& r) const;
  // Rows y in [top, bottom) where the column x has exactly `c`.
  std::vector<int> RowsWithColour(int x, int top, int bottom, COLORREF c) const;
  // Client height of the main window.
  int ClientHeight() const;

  // The live split-name edit boxes and their rectangles in the main
  // window's client coordinates.
  std::vector<HWND> LiveBoxes() const;
  RECT BoxRect(HWND box) const;
  std::wstring BoxText(HWND box) const;

  platform::NullDriver& driver() { return *driver_; }
  const platform::NullDriver& driver() const { return *driver_; }
  const platform::NullDriver::TopLevel& Top() const { return *driver_->Find(g_hwnd); }

  bool quitPosted_ = false;

 private:
  std::unique_ptr<platform::NullDriver> driver_;
  std::filesystem::path originalDir_;
  std::filesystem::path workDir_;
};

// Files written as the shell writes them: one line per entry, CR LF.
std::string CrLfLines(const std::vector<std::string>& lines);
// The number a line of bestsplits.txt or pbtime.txt holds.
double ParseNumber(const std::string& line);

}  // namespace shelltest
