// Message boxes as the user sees them, fatal errors, and the log switched off.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/io_tools.h"
#include "support_test_tools.h"

namespace {

struct FrameCase {
  int kind;
  const char* message;
  const char* expected_text;
  BoxIcon expected_icon;
};

TEST(ShowMessageBox, FramesTheMessageByKind) {
  const FrameCase cases[] = {
      {BOX_WARNING, "Disk 3 of 7", "*********** WARNING ***********\nDisk 3 of 7\n",
       BoxIcon::Warning},
      {BOX_HELP, "Disk 3 of 7", "************ HELP ************\nDisk 3 of 7\n",
       BoxIcon::Information},
      {BOX_WARNING, "", "*********** WARNING ***********\n\n", BoxIcon::Warning},
      // What the caller formats reaches the box unchanged, signs and separators too.
      {BOX_WARNING, "100% @C:\\x & y", "*********** WARNING ***********\n100% @C:\\x & y\n",
       BoxIcon::Warning},
  };
  for (const FrameCase& c : cases) {
    BoxRecorder recorder;
    ShowMessageBox(c.kind, "D:\\src\\hushmaker.cpp", 42, "%s", c.message);
    ASSERT_EQ(recorder.boxes.size(), 1u) << "kind " << c.kind;
    EXPECT_EQ(recorder.boxes[0].text, c.expected_text);
    EXPECT_EQ(recorder.boxes[0].caption, "Called from: \"hushmaker.cpp\", line 42");
    EXPECT_EQ(recorder.boxes[0].icon, c.expected_icon);
  }
}

TEST(ShowMessageBox, FormatsTheCallersArguments) {
  BoxRecorder recorder;
  ShowMessageBox(BOX_WARNING, "a.cpp", 1, "beInitStream() failure>>> Error code: %lu", 2lu);
  ASSERT_EQ(recorder.boxes.size(), 1u);
  EXPECT_EQ(recorder.boxes[0].text,
            "*********** WARNING ***********\nbeInitStream() failure>>> Error code: 2\n");
}

struct CaptionCase {
  const char* source;
  int line;
  const char* expected_caption;
};

TEST(ShowMessageBox, NamesTheSourceFileAndLineInTheCaption) {
  const CaptionCase cases[] = {
      {"hushmaker", 7, "Called from: \"hushmaker\", line 7"},
      {"/work/main/support/io_tools.cpp", 1203, "Called from: \"io_tools.cpp\", line 1203"},
      {"D:\\src/gen\\writer.cpp", 0, "Called from: \"writer.cpp\", line 0"},
      {"D:\\src\\gen/writer.cpp", -5, "Called from: \"gen/writer.cpp\", line -5"},
      {"", 12, "Called from: \"\", line 12"},
  };
  for (const CaptionCase& c : cases) {
    BoxRecorder recorder;
    ShowMessageBox(BOX_WARNING, c.source, c.line, "x");
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].caption, c.expected_caption) << "source: " << c.source;
  }
}

TEST(ShowMessageBox, IgnoresUnknownKinds) {
  for (int kind : {3, -1, 100}) {
    BoxRecorder recorder;
    ShowMessageBox(kind, "a.cpp", 1, "never shown");
    EXPECT_TRUE(recorder.boxes.empty()) << "kind " << kind;
  }
}

TEST(ShowMessageBox, CutsTextsThatDoNotFitTheirBuffers) {
  // Far beyond every buffer, so a write past one would land well outside it.
  const std::string message(10000, 'm');
  const std::string source = "D:\\" + std::string(400, 's') + ".cpp";
  BoxRecorder recorder;
  ShowMessageBox(BOX_WARNING, source.c_str(), 99, "%s", message.c_str());
  ASSERT_EQ(recorder.boxes.size(), 1u);
  const std::string& text = recorder.boxes[0].text;
  EXPECT_EQ(text.size(), IO_BOX_TEXT_SIZE - 1);
  EXPECT_EQ(text.rfind("*********** WARNING ***********\nmmm", 0), 0u);
  EXPECT_EQ(text.find_first_not_of('m', 32), std::string::npos);
  const std::string& caption = recorder.boxes[0].caption;
  EXPECT_EQ(caption.size(), IO_CAPTION_SIZE - 1);
  EXPECT_EQ(caption.rfind("Called from: \"sss", 0), 0u);
}

TEST(ShowDebugBox, ShowsTheMessageUnderItsOwnCaption) {
  BoxRecorder recorder;
  ShowDebugBox("frames=%d", 38);
  ShowDebugBox("%s", std::string(9000, 'd').c_str());
  ASSERT_EQ(recorder.boxes.size(), 2u);
  EXPECT_EQ(recorder.boxes[0].caption, "Debugging Info");
  EXPECT_EQ(recorder.boxes[0].text, "*********** DEBUG ***********\nframes=38\n");
  EXPECT_EQ(recorder.boxes[0].icon, BoxIcon::Warning);
  EXPECT_EQ(recorder.boxes[1].text.size(), IO_BOX_TEXT_SIZE - 1);
}

TEST(ShowMessageBox, WithoutADisplayTellsTheUserOnStderr) {
  EXPECT_EXIT(
      {
        unsetenv("DISPLAY");
        ShowMessageBox(BOX_ERROR, "D:\\src\\a.cpp", 3, "no screen");
      },
      ::testing::ExitedWithCode(1),
      "Called from: \"a.cpp\", line 3\n\\*{12} ERROR \\*{12}\nno screen\n$");
}

class ErrorBoxTest : public ScratchDirectoryTest {};

// These hold for the delivered build only; a build with file logging on skips them.
class LogSwitchedOffTest : public ScratchDirectoryTest {
 protected:
  void SetUp() override {
    if (LOG_TO_FILE) GTEST_SKIP() << "built with LOG_TO_FILE on";
    ScratchDirectoryTest::SetUp();
  }
  void TearDown() override {
    if (!LOG_TO_FILE) ScratchDirectoryTest::TearDown();
  }
};

TEST_F(LogSwitchedOffTest, ErrorBoxEndsTheProcessWithStatusOneAfterTheBox) {
  EXPECT_EXIT(
      {
        PrintBoxesToStderr(1);
        ShowMessageBox(BOX_ERROR, "D:\\src\\hushmaker.cpp", 310, "beInitStream() failure");
        fprintf(stderr, "returned");
      },
      ::testing::ExitedWithCode(1),
      "\\[box 1\\] Called from: \"hushmaker.cpp\", line 310 \\| "
      "\\*{12} ERROR \\*{12}\nbeInitStream\\(\\) failure\n$");
  EXPECT_FALSE(LogExists());
}

TEST_F(ErrorBoxTest, ErrorExitRunsExitHandlers) {
  EXPECT_EXIT(
      {
        PrintBoxesToStderr(1);
        atexit([] { fputs("handler ran", stderr); });
        ShowMessageBox(BOX_ERROR, "a.cpp", 1, "x");
      },
      ::testing::ExitedWithCode(1), "handler ran$");
}

TEST_F(LogSwitchedOffTest, WritesNoLogFile) {
  BoxRecorder recorder;
  WriteLog("Encoding %d seconds\n", 5);
  ShowMessageBox(BOX_WARNING, "a.cpp", 1, "warning");
  ShowMessageBox(BOX_HELP, "a.cpp", 1, "help");
  EXPECT_EQ(recorder.boxes.size(), 2u);
  EXPECT_FALSE(LogExists());
}

TEST(MonthName, NamesTheMonthsOneToTwelve) {
  const struct {
    unsigned short month;
    const char* name;
  } cases[] = {{0, "[Unknown month]"}, {1, "January"},          {5, "May"},
               {12, "December"},       {13, "[Unknown month]"}, {65535, "[Unknown month]"}};
  for (const auto& c : cases) EXPECT_STREQ(MonthName(c.month), c.name) << c.month;
}

}  // namespace
