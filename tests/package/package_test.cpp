// The programs of the release packages, unpacked: a short whole run of each
// in a fresh working folder, and the Debian package's desktop entry starting
// Brenvik in its data folder. scripts/package-test.sh names the unpacked
// programs (BRENVIK_LINUX_EXE, BRENVIK_WINDOWS_EXE) and the unpacked entry
// (BRENVIK_DESKTOP_ENTRY).
#include <X11/keysym.h>

#include <cstdlib>
#include <fstream>

#include "panel.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

class PackagedTest : public PanelTest {
 protected:
  // Presses the split key and waits until the green box stands on the line.
  ::testing::AssertionResult SplitTo(int bar, int line) {
    app().Hotkey(XK_space);
    if (WaitUntil([&] { return GreenBoxLine(app().Capture(), bar) == line; }, 10s))
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the green box never reached line " << line;
  }
};

TEST_P(PackagedTest, WholeRunWritesTheBestsAndThePbInTheWorkingFolder) {
  app().WriteFile("splits.txt", "Intro\r\nBoss\r\n");
  ASSERT_TRUE(app().Start());
  const int bar = SeparatorBarTop(Frame());
  ASSERT_GT(bar, 100) << "no separator bar";
  ASSERT_TRUE(SplitTo(bar, 0));
  ASSERT_TRUE(SplitTo(bar, 1));
  ASSERT_TRUE(SplitTo(bar, -1));
  ASSERT_TRUE(WaitUntil([&] { return app().ReadFile("pbtime.txt").has_value(); }, 10s))
      << "no PB written after the finish";
  EXPECT_EQ(app().ListFiles(), (std::vector<std::string>{"bestsplits.txt", "pbtime.txt", "splits.txt"}));
  const double pb = std::strtod(app().ReadFile("pbtime.txt")->c_str(), nullptr);
  EXPECT_GT(pb, 0) << *app().ReadFile("pbtime.txt");
}

BRENVIK_E2E_TARGETS(PackagedTest);

// The Exec value of a desktop entry with the format's string escapes undone;
// what is left is the command line with the format's quoting, which is
// shell syntax.
std::string ExecLine(const fs::path& entry) {
  std::ifstream in(entry);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("Exec=", 0) != 0) continue;
    std::string value;
    for (size_t i = 5; i < line.size(); ++i) {
      if (line[i] == '\\' && i + 1 < line.size()) {
        const char next = line[++i];
        value += next == 's' ? ' ' : next == 't' ? '\t' : next == 'n' ? '\n' : next;
      } else {
        value += line[i];
      }
    }
    return value;
  }
  return "";
}

class DesktopEntryTest : public ::testing::Test {
 protected:
  void TearDown() override { unsetenv("XDG_DATA_HOME"); }
};

TEST_F(DesktopEntryTest, StartsBrenvikInItsDataFolderWhereSaveWritesTheKeys) {
  const char* entry = std::getenv("BRENVIK_DESKTOP_ENTRY");
  ASSERT_TRUE(entry) << "BRENVIK_DESKTOP_ENTRY names no desktop entry";
  std::string exec = ExecLine(entry);
  // The entry names the installed program; the test runs the unpacked one.
  const std::string installed = "\"/usr/bin/brenvik\"";
  const size_t at = exec.rfind(installed);
  ASSERT_NE(at, std::string::npos) << exec;
  exec.replace(at, installed.size(), "\"" + BinaryFor("linux") + "\"");

  App app("linux");
  // Not there yet: the entry makes it.
  const fs::path data = app.dir().parent_path() / "data home";
  setenv("XDG_DATA_HOME", data.c_str(), 1);
  app.SetCommand({"sh", "-c", "exec " + exec});
  ASSERT_TRUE(app.Start());

  app.Hotkey(XK_7);
  app.Click(kKeybindsTab.x, kKeybindsTab.y);
  ASSERT_TRUE(WaitUntil([&] { return ActiveTab(app.Capture()) == 1; }, 10s));
  app.Click(kSaveButton.x, kSaveButton.y);
  const fs::path saved = data / "brenvik" / "keybinds.cfg";
  EXPECT_TRUE(WaitUntil([&] { return fs::exists(saved); }, 10s)) << "nothing at " << saved;
  EXPECT_TRUE(app.ListFiles().empty()) << "a file landed in the folder it was started from";
}

}  // namespace
}  // namespace e2e
