// Test fixtures of the support tests: a scratch working directory and a box recorder.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "platform/platform.h"

// Reads a text file as text: the log has CRLF line ends on Windows.
inline std::string ReadFile(const char* name) {
  std::ifstream file(name);
  return {std::istreambuf_iterator<char>(file), {}};
}

// Runs each test in a new empty working directory, since process.log is opened by its
// relative name.
class ScratchDirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    for (int attempt = 0; attempt < 100 && scratch_.empty(); ++attempt) {
      const auto candidate = std::filesystem::temp_directory_path() /
                             ("hm-support-" + std::to_string(random()));
      if (std::filesystem::create_directory(candidate)) scratch_ = candidate;
    }
    ASSERT_FALSE(scratch_.empty());
    std::filesystem::current_path(scratch_);
  }
  void TearDown() override {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(scratch_);
  }
  std::filesystem::path previous_ = std::filesystem::current_path(), scratch_;
};

// Boxes shown since the last RecordBoxes, each as "[box N, icon I] caption | text" with
// I = 0 warning, 1 error, 2 information.
inline std::string g_shown_boxes;

// Replaces the real box with a recorder that also writes each box to stderr, for death
// tests. A box beyond the allowed count ends the process with status 7, so a report
// that keeps raising reports shows up as the wrong status instead of a stack overflow.
inline void RecordBoxes(int allowed = 99) {
  g_shown_boxes.clear();
  ReplaceBoxPresenter([allowed, shown = 0](const char* caption, const char* text,
                                           BoxIcon icon) mutable {
    const std::string box = "[box " + std::to_string(++shown) + ", icon " +
                            std::to_string(static_cast<int>(icon)) + "] " + caption + " | " + text;
    fputs(box.c_str(), stderr);
    g_shown_boxes += box;
    if (shown > allowed) std::_Exit(7);
  });
}
