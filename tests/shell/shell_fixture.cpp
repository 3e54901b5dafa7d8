#include "shell_fixture.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "user/user_internal.h"

namespace shelltest {

namespace {
// Far more than any test queues; a pump that never goes idle is a bug.
constexpr int kMaxMessagesPerPump = 100000;

std::filesystem::path MakeTempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "brenvik-shell-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}
}  // namespace

std::string CrLfLines(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  return out;
}

double ParseNumber(const std::string& line) {
  std::istringstream in(line);
  in.imbue(std::locale::classic());
  double value = 0;
  in >> value;
  EXPECT_FALSE(in.fail()) << "not a number: '" << line << "'";
  return value;
}

void ShellTest::SetUp() {
  originalDir_ = std::filesystem::current_path();
  workDir_ = MakeTempDir();
  ASSERT_FALSE(workDir_.empty());
  std::filesystem::current_path(workDir_);

  driver_ = std::make_unique<platform::NullDriver>();
  platform::SetDriver(driver_.get());
  platform::ResetForTests();
  driver_->UseVirtualClock();
  quitPosted_ = false;
  ResetStateForTests();
}

void ShellTest::TearDown() {
  ShutDown();
  if (IsWindow(g_hwnd)) DestroyWindow(g_hwnd);
  MSG msg{};
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
  ResetStateForTests();
  platform::ResetForTests();
  platform::SetDriver(nullptr);
  driver_.reset();
  std::filesystem::current_path(originalDir_);
  std::error_code ignored;
  std::filesystem::remove_all(workDir_, ignored);
}

void ShellTest::WriteFile(const std::string& name, const std::string& bytes) {
  std::ofstream out(workDir_ / name, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::optional<std::string> ShellTest::ReadFile(const std::string& name) const {
  std::ifstream in(workDir_ / name, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool ShellTest::FileExists(const std::string& name) const { return std::filesystem::exists(workDir_ / name); }

std::vector<std::string> ShellTest::FileLines(const std::string& name) const {
  std::vector<std::string> lines;
  const std::optional<std::string> bytes = ReadFile(name);
  if (!bytes) return lines;
  std::size_t start = 0;
  while (start < bytes->size()) {
    std::size_t end = bytes->find('\n', start);
    if (end == std::string::npos) end = bytes->size();
    std::string line = bytes->substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

std::vector<std::string> ShellTest::FilesPresent() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(workDir_)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

void ShellTest::Start() {
  StartUp(GetModuleHandleW(nullptr));
  Pump();
}

void ShellTest::Pump() {
  MSG msg{};
  for (int i = 0; i < kMaxMessagesPerPump; ++i) {
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return;
    if (msg.message == WM_QUIT) {
      quitPosted_ = true;
      continue;
    }
    ProcessMessage(msg);
  }
  ADD_FAILURE() << "the message queue never went idle";
}

void ShellTest::AdvanceClock(int ms) { driver_->AdvanceTime(ms); }

void ShellTest::Post(UINT msg, WPARAM wParam, LPARAM lParam) {
  PostMessageW(g_hwnd, msg, wParam, lParam);
  Pump();
}

void ShellTest::Hotkey(int id) { Post(WM_HOTKEY, static_cast<WPARAM>(id), 0); }

void ShellTest::ToInteractive() {
  Hotkey(1);
  ASSERT_FALSE(clickThroughEnabled);
}

void ShellTest::PressAt(int x, int y) { Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }

void ShellTest::ReleaseAt(int x, int y) { Post(WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }

void ShellTest::ClickAt(int x, int y) {
  PressAt(x, y);
  ReleaseAt(x, y);
}

void ShellTest::MoveTo(int x, int y) { Post(WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }

void ShellTest::Wheel(int delta) { Post(WM_MOUSEWHEEL, MAKEWPARAM(0, delta), 0); }

void ShellTest::KeyDown(int vk) { Post(WM_KEYDOWN, static_cast<WPARAM>(vk), 0); }

void ShellTest::Repaint() {
  InvalidateRect(g_hwnd, nullptr, FALSE);
  Pump();
}

void ShellTest::InjectClick(int x, int y) {
  driver_->MoveMouse(g_hwnd, x, y);
  driver_->Click(g_hwnd, x, y);
  Pump();
}

void ShellTest::InjectKey(UINT vk, bool ctrl) {
  if (ctrl) driver_->Key(g_hwnd, VK_CONTROL, true);
  driver_->KeyPress(g_hwnd, vk);
  if (ctrl) driver_->Key(g_hwnd, VK_CONTROL, false);
  Pump();
}

void ShellTest::InjectText(const std::wstring& text) {
  driver_->Type(g_hwnd, text);
  Pump();
}

COLORREF ShellTest::Pixel(int x, int y) const { return driver_->Pixel(g_hwnd, x, y); }

bool ShellTest::RegionHas(const RECT& r, COLORREF c) const {
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      if (Pixel(x, y) == c) return true;
    }
  }
  return false;
}

std::vector<COLORREF> ShellTest::Snapshot(const RECT& r) const {
  std::vector<COLORREF> pixels;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) pixels.push_back(Pixel(x, y));
  }
  return pixels;
}

std::vector<int> ShellTest::RowsWithColour(int x, int top, int bottom, COLORREF c) const {
  std::vector<int> rows;
  for (int y = top; y < bottom; ++y) {
    if (Pixel(x, y) == c) rows.push_back(y);
  }
  return rows;
}

int ShellTest::ClientHeight() const {
  RECT client{};
  GetClientRect(g_hwnd, &client);
  return client.bottom;
}

std::vector<HWND> ShellTest::LiveBoxes() const {
  std::vector<HWND> boxes;
  for (HWND box : splitEditBoxes) {
    if (IsWindow(box)) boxes.push_back(box);
  }
  return boxes;
}

RECT ShellTest::BoxRect(HWND box) const {
  RECT r{};
  GetWindowRect(box, &r);
  POINT topLeft{r.left, r.top};
  POINT bottomRight{r.right, r.bottom};
  ScreenToClient(g_hwnd, &topLeft);
  ScreenToClient(g_hwnd, &bottomRight);
  return RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

std::wstring ShellTest::BoxText(HWND box) const {
  WCHAR text[512] = {};
  const int length = GetWindowTextW(box, text, 512);
  return std::wstring(text, static_cast<std::size_t>(length > 0 ? length : 0));
}

}  // namespace shelltest
