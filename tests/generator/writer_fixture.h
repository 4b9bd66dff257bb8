// What the writer's tests share: a recorder for boxes, a fixed clock and path forms.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"

struct RecordedBox {
  std::string caption;
  std::string text;
  BoxIcon icon;
};

// Boxes are recorded instead of shown, and the local year is fixed, for each test.
class WriterTest : public ::testing::Test {
 protected:
  static constexpr int kYear = 2031;

  void SetUp() override {
    previous_presenter_ = ReplaceBoxPresenter(
        [this](const char* caption, const char* text, BoxIcon icon) {
          boxes_.push_back({caption, text, icon});
        });
    previous_clock_ = ReplaceLocalClock([] { return LocalDateTime{kYear, 6, 15, 12, 0, 0}; });
  }

  void TearDown() override {
    ReplaceBoxPresenter(previous_presenter_);
    ReplaceLocalClock(previous_clock_);
  }

  // A native directory in the program's own form: backslashes and one at the end.
  static std::string OwnDirectory(const std::string& native) {
    std::string own = native;
    for (char& c : own) {
      if (c == '/') c = '\\';
    }
    if (own.empty() || own.back() != '\\') own += '\\';
    return own;
  }

  std::vector<RecordedBox> boxes_;

 private:
  BoxPresenterFunction previous_presenter_;
  LocalClockFunction previous_clock_;
};
