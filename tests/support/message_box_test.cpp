// Message boxes as the user sees them, fatal errors, and the log switched off.
#include "support/io_tools.h"
#include "tests/test_support.h"

namespace {

TEST(ShowMessageBox, FramesTheMessageByKindUnderTheCallersPlace) {
  RecordBoxes();
  ShowMessageBox(BOX_WARNING, "D:\\src\\gen/writer.cpp", 42, "Disk %d of %d: %s", 3, 7, "100% @x");
  for (int unknown_kind : {3, -1}) ShowMessageBox(unknown_kind, "a.cpp", 1, "never shown");
  ShowMessageBox(BOX_HELP, "/work/main/io_tools.cpp", 7, "Press Generate");
  ShowMessageBox(BOX_WARNING, "hushmaker", 310, "%s", "");
  ShowDebugBox("frames=%d", 38);
  EXPECT_EQ(g_shown_boxes,
            "[box 1, icon 0] Called from: \"gen/writer.cpp\", line 42 | "
            "*********** WARNING ***********\nDisk 3 of 7: 100% @x\n"
            "[box 2, icon 2] Called from: \"io_tools.cpp\", line 7 | "
            "************ HELP ************\nPress Generate\n"
            "[box 3, icon 0] Called from: \"hushmaker\", line 310 | "
            "*********** WARNING ***********\n\n"
            "[box 4, icon 0] Debugging Info | *********** DEBUG ***********\nframes=38\n");
}

TEST(ShowMessageBox, CutsTextsThatDoNotFitTheirBuffers) {
  // Far beyond every buffer, so a write past one would land well outside it.
  const std::string message(10000, 'm');
  RecordBoxes();
  ShowMessageBox(BOX_WARNING, ("D:\\" + std::string(400, 's')).c_str(), 1, "%s", message.c_str());
  ShowDebugBox("%s", message.c_str());
  const std::string warning_frame = "*********** WARNING ***********\n";
  const std::string debug_frame = "*********** DEBUG ***********\n";
  EXPECT_EQ(g_shown_boxes,
            "[box 1, icon 0] Called from: \"" + std::string(IO_CAPTION_SIZE - 15, 's') + " | " +
                warning_frame + message.substr(0, IO_BOX_TEXT_SIZE - 1 - warning_frame.size()) +
                "[box 2, icon 0] Debugging Info | " + debug_frame +
                message.substr(0, IO_BOX_TEXT_SIZE - 1 - debug_frame.size()));
}

using LogSwitchedOffTest = ScratchDirectoryTest;

TEST_F(LogSwitchedOffTest, ErrorBoxEndsTheProcessWithStatusOneAndNoReportWritesALog) {
  if (LOG_TO_FILE) GTEST_SKIP() << "built with LOG_TO_FILE on";
  RecordBoxes(1);
  WriteLog("Encoding %d seconds\n", 5);
  EXPECT_EXIT((atexit([] { fputs("handler ran", stderr); }),
               ShowMessageBox(BOX_ERROR, "D:\\src\\hushmaker.cpp", 310, "beInitStream() failure"),
               fputs("returned", stderr)),
              ::testing::ExitedWithCode(1),
              "\\[box 1, icon 1\\] Called from: \"hushmaker.cpp\", line 310 \\| "
              "\\*+ ERROR \\*+\nbeInitStream\\(\\) failure\nhandler ran$");
  EXPECT_FALSE(std::filesystem::exists("process.log"));
}

}  // namespace
