// Each file test runs in a fresh, empty working directory with the run state
// and keybinds at their process-start values.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "run/run_state.h"
#include "storage/keybind_file.h"

class InTempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = std::filesystem::current_path();
    std::random_device rd;
    dir_ =
        std::filesystem::temp_directory_path() / ("brenvik-core-" + std::to_string(rd()) + "-" + std::to_string(rd()));
    std::filesystem::create_directories(dir_);
    std::filesystem::current_path(dir_);
    ResetCoreStateForTests();
  }
  void TearDown() override {
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(dir_, ignored);
    ResetCoreStateForTests();
  }

  static std::string Read(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }
  static void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
  }
  static bool Exists(const std::string& name) { return std::filesystem::exists(name); }

  std::filesystem::path dir_;

 private:
  std::filesystem::path previous_;
};
