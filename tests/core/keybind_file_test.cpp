#include "storage/keybind_file.h"

#include <gtest/gtest.h>

#include "temp_dir.h"

namespace {

class Keybinds : public InTempDir {
 protected:
  static void LoadFrom(const std::string& bytes) {
    Write("keybinds.cfg", bytes);
    LoadKeybinds();
  }
};

TEST_F(Keybinds, DefaultsWithoutAFile) {
  LoadKeybinds();
  EXPECT_EQ(keybinds, (KeybindMap{{"toggle", 0x37}, {"split", 0x20}, {"cancel", 0x43}}));
  EXPECT_EQ(pendingKeybinds, keybinds);
  EXPECT_TRUE(rebinding.empty());
  EXPECT_FALSE(Exists("keybinds.cfg"));
}

TEST_F(Keybinds, SaveWritesTheMapInByteOrder) {
  SaveKeybinds();
  EXPECT_EQ(Read("keybinds.cfg"), "cancel=67\r\nsplit=32\r\ntoggle=55\r\n");
  pendingKeybinds["split"] = 65;  // only the bindings in force are saved
  keybinds["split"] = -5;
  SaveKeybinds();
  EXPECT_EQ(Read("keybinds.cfg"), "cancel=67\r\nsplit=-5\r\ntoggle=55\r\n");
}

TEST_F(Keybinds, OneLineOverridesOnlyItsAction) {
  LoadFrom("split=65");
  EXPECT_EQ(keybinds.at("split"), 0x41);
  EXPECT_EQ(keybinds.at("toggle"), 0x37);
  EXPECT_EQ(keybinds.at("cancel"), 0x43);
  EXPECT_EQ(pendingKeybinds, keybinds);
}

TEST_F(Keybinds, NamesAreTakenAsTheyAre) {
  LoadFrom("toggle = 80\r\nSplit=65\r\n=65\r\n");
  EXPECT_EQ(keybinds.at("toggle"), 0x37);
  EXPECT_EQ(keybinds.at("toggle "), 80);
  EXPECT_EQ(keybinds.at("Split"), 65);
  EXPECT_EQ(keybinds.at(""), 65);
  EXPECT_EQ(pendingKeybinds, keybinds);
  SaveKeybinds();
  EXPECT_EQ(Read("keybinds.cfg"), "=65\r\nSplit=65\r\ncancel=67\r\nsplit=32\r\ntoggle=55\r\ntoggle =80\r\n");
}

TEST_F(Keybinds, NumbersReadLikeStrtol) {
  LoadFrom("cancel=0x43\nsplit=67 trailing words\ntoggle=\t -12\n");
  EXPECT_EQ(keybinds.at("cancel"), 0);
  EXPECT_EQ(keybinds.at("split"), 67);
  EXPECT_EQ(keybinds.at("toggle"), -12);
  LoadFrom("cancel=+5\r\nsplit=007\r\ntoggle=2147483647\r\n");
  EXPECT_EQ(keybinds.at("cancel"), 5);
  EXPECT_EQ(keybinds.at("split"), 7);
  EXPECT_EQ(keybinds.at("toggle"), 2147483647);
  LoadFrom("toggle=-2147483648\r\n");
  EXPECT_EQ(keybinds.at("toggle"), -2147483647 - 1);
}

TEST_F(Keybinds, MalformedLinesAreSkipped) {
  LoadFrom(
      "split=66\r\n"
      "split=2147483648\r\n"
      "cancel=-2147483649\r\n"
      "toggle=99999999999999999999999\r\n"
      "\r\n"
      "split\r\n"
      "split=\r\n"
      "split= -\r\n"
      "split=x1\r\n"
      "cancel=--1\r\n");
  EXPECT_EQ(keybinds, (KeybindMap{{"toggle", 0x37}, {"split", 66}, {"cancel", 0x43}}));
  EXPECT_EQ(pendingKeybinds, keybinds);
}

TEST_F(Keybinds, TheLaterLineWinsAndNothingIsEmptied) {
  keybinds["extra"] = 1;
  pendingKeybinds["extra"] = 1;
  LoadFrom("split=65\r\nsplit=66\r\n");
  EXPECT_EQ(keybinds.at("split"), 66);
  EXPECT_EQ(keybinds.at("extra"), 1);
  EXPECT_EQ(pendingKeybinds.at("split"), 66);
}

TEST_F(Keybinds, AnUnwritableFileKeepsTheMaps) {
  std::filesystem::create_directory("keybinds.cfg");
  keybinds["split"] = 65;
  SaveKeybinds();
  EXPECT_TRUE(std::filesystem::is_directory("keybinds.cfg"));
  EXPECT_EQ(keybinds.at("split"), 65);
  LoadKeybinds();  // a directory reads as no file
  EXPECT_EQ(keybinds.at("split"), 65);
}

}  // namespace
