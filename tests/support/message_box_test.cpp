// Message boxes as the user sees them, the cut of their texts, fatal errors, and the log
// switched off.
#include "support/format_cut.h"
#include "support/message_box.h"
#include "support/path_helpers.h"
#include "support/process_log.h"
#include "tests/test_support.h"

namespace {

TEST(ShowMessageBox, FramesTheMessageByKindUnderTheCallersPlace) {
  RecordBoxes();
  const char* held = GetFileName("D:\\voices\\held.mp3");
  ShowMessageBox(BOX_WARNING, "D:\\src\\gen/writer.cpp", 42, "Disk %d of %d: %s", 3, 7, "100% @x");
  for (int unknownKind : {3, -1}) ShowMessageBox(unknownKind, "a.cpp", 1, "never shown");
  ShowMessageBox(BOX_HELP, "/src/support/message_box.cpp", 7, "Press Generate");
  ShowDebugBox("frames=%d", 38);
  EXPECT_EQ(g_shown_boxes,
            "[box 1, icon 0] Called from: \"gen/writer.cpp\", line 42 | "
            "*********** WARNING ***********\nDisk 3 of 7: 100% @x\n"
            "[box 2, icon 2] Called from: \"message_box.cpp\", line 7 | "
            "************ HELP ************\nPress Generate\n"
            "[box 3, icon 0] Debugging Info | *********** DEBUG ***********\nframes=38\n");
  EXPECT_STREQ(held, "held.mp3") << "a caption overwrote the caller's file name";
}

TEST(FormatCut, EndsACutTextAtAWholeUtf8Character) {
  // "a", then characters of two, three and four bytes: the sizes cut at every byte of them.
  const std::string text = "a" "\xC3\xA9" "\xE2\x82\xAC" "\xF0\x9F\x98\x80";
  const std::string a = "a", toTwo = "a\xC3\xA9", toThree = toTwo + "\xE2\x82\xAC";
  // Size 0 leaves the storage as it was, with no end written.
  const std::string shown[] = {std::string(16, '#'), "", a, a, toTwo, toTwo, toTwo,
                               toThree, toThree, toThree, toThree, text};  // size 0..11
  for (size_t size = 0; size <= 11; ++size) {
    std::string storage(16, '#');
    FormatCut(storage.data(), size, "%s", text.c_str());
    EXPECT_EQ(std::string(storage.c_str()), shown[size]) << size;
    EXPECT_EQ(storage.substr(size), std::string(16 - size, '#')) << "written past " << size;
  }
}

TEST(ShowMessageBox, CutsTextsAtAWholeCharacterToFitTheirBuffers) {
  // Far beyond every buffer, so a write past one would land well outside it. Each e-acute
  // is two bytes, and the room below is odd, so the cut falls inside one.
  const std::string ascii(10000, 'm');
  std::string accented;
  for (int i = 0; i < 5000; ++i) accented += "\xC3\xA9";
  RecordBoxes();
  ShowMessageBox(BOX_WARNING, ("D:\\" + accented).c_str(), 1, "%s", ascii.c_str());
  ShowMessageBox(BOX_WARNING, ("D:\\" + ascii).c_str(), 1, "%s", accented.c_str());
  const std::string caption = "Called from: \"", warning = "*********** WARNING ***********\n";
  const size_t nameRoom = IO_CAPTION_SIZE - 1 - caption.size();    // 245
  const size_t messageRoom = IO_BOX_TEXT_SIZE - 1 - warning.size();  // 4,063
  EXPECT_EQ(g_shown_boxes,
            "[box 1, icon 0] " + caption + accented.substr(0, nameRoom - 1) + " | " + warning +
                ascii.substr(0, messageRoom) +
                "[box 2, icon 0] " + caption + ascii.substr(0, nameRoom) + " | " + warning +
                accented.substr(0, messageRoom - 1));
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
