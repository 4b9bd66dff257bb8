// The writer's longest file the game takes, and one second more: about 97 MB each, so
// this test is labelled slow.
#include "checker/voice_check.h"
#include "generator/hushmaker.h"
#include "tests/test_support.h"

namespace {

// Decoded bytes as the loader's own routine counts them, run on these files; for 24,348 s
// its 32-bit count wraps round to a negative size, and this is the count before that.
TEST(LongFiles, PassUpTo24347SecondsAndNotBeyond) {
  ScratchDirectory folder;
  ASSERT_NE(CreateBlankMP3(24347, folder.Own().c_str(), "longest"), -1);
  const VoiceCheck longest = CheckVoiceFile(folder.path + "/longest.mp3");
  EXPECT_EQ(DescribeVoiceCheck("longest.mp3", longest),
            "longest.mp3: Jedi Outcast plays it, caption 24,346.984 s (MPEG-1 Layer III, "
            "44,100 Hz, mono, VBR)");
  EXPECT_EQ(longest.loaderBytes, 2147401728u);

  ASSERT_NE(CreateBlankMP3(24348, folder.Own().c_str(), "over"), -1);
  const VoiceCheck over = CheckVoiceFile(folder.path + "/over.mp3");
  EXPECT_EQ(DescribeVoiceCheck("over.mp3", over),
            "over.mp3: Jedi Outcast quits on it: 24,347.951 s long, over the 24,347 s the game "
            "takes: it stops with a fatal memory error");
  EXPECT_EQ(over.loaderBytes, 2147489280u);
}

}  // namespace
