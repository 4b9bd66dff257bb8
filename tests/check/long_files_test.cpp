// The writer's longest file the game takes, and one second more: about 97 MB each, so
// this test is labelled slow.
#include "checker/voice_check.h"
#include "generator/hushmaker.h"
#include "tests/test_support.h"

namespace {

// Decoded bytes as the loader's own routine counts them, run on these files: for 24,348 s
// its 32-bit count wraps round to a negative size.
TEST(LongFiles, PassUpTo24347SecondsAndNotBeyond) {
  ScratchDirectory folder;
  for (const auto& [seconds, said] :
       {std::pair{24347, "plays it, caption 24,346.984 s (MPEG-1 Layer III, 44,100 Hz, mono, VBR)"},
        std::pair{24348, "quits on it: 24,347.951 s long, over the 24,347 s the game takes: it "
                         "stops with a fatal memory error"}}) {
    ASSERT_NE(CreateBlankMP3(seconds, folder.Own().c_str(), "voice"), -1);
    EXPECT_EQ(DescribeVoiceCheck("voice.mp3", CheckVoiceFile(folder.path + "/voice.mp3")),
              std::string("voice.mp3: Jedi Outcast ") + said);
  }
}

}  // namespace
