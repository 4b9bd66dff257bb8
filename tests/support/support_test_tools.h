// Test fixtures of the support tests: a scratch working directory and a box recorder.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/platform.h"

// Runs each test in a new empty working directory, since process.log is opened by its
// relative name, and removes it afterwards.
class ScratchDirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = std::filesystem::current_path();
    std::string pattern = (std::filesystem::temp_directory_path() / "hm-support-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    scratch_ = pattern;
    std::filesystem::current_path(scratch_);
  }

  void TearDown() override {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(scratch_);
  }

  static std::string ReadFile(const std::string& name) {
    std::ifstream file(name, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
  }

  static bool LogExists() { return std::filesystem::exists("process.log"); }

  std::filesystem::path previous_;
  std::filesystem::path scratch_;
};

struct ShownBox {
  std::string caption;
  std::string text;
  BoxIcon icon;
};

// Replaces the real box with one that records what would have been shown.
class BoxRecorder {
 public:
  BoxRecorder() {
    previous_ = ReplaceBoxPresenter([this](const char* caption, const char* text, BoxIcon icon) {
      boxes.push_back({caption, text, icon});
    });
  }
  ~BoxRecorder() { ReplaceBoxPresenter(previous_); }

  std::vector<ShownBox> boxes;

 private:
  BoxPresenterFunction previous_;
};

// For death tests: each box is written to stderr as "[box N] caption | text", and a box
// beyond the allowed count ends the process with status 7, so a report that keeps
// raising reports shows up as the wrong status instead of a stack overflow.
inline void PrintBoxesToStderr(int allowed) {
  ReplaceBoxPresenter([allowed](const char* caption, const char* text, BoxIcon) {
    static int shown = 0;
    ++shown;
    fprintf(stderr, "[box %d] %s | %s", shown, caption, text);
    if (shown > allowed) _exit(7);
  });
}
