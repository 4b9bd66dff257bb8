// Files of hours: the stream's repeated frames and the Info frame's frame count on both
// sides of 24,347 s, where the decoded size passes 2^31 bytes and the sample buffer 4 GiB,
// what the checker says of them, and eight hours read by a decoder. The Info frame's other
// fields over repeated frames are the silent stream's tests' (byte for byte against full
// encodes). Labelled slow: some seconds each.
#include <sys/resource.h>

#include "checker/voice_check.h"
#include "generator/hushmaker.h"
#include "tests/test_support.h"

namespace {

// Past the first seconds a file grows by 1,225 frames of 104 bytes (32 kbit/s, no padding)
// every 32 s, which are exactly 1,225 x 1,152 samples; so a file of L seconds holds the
// bytes of a full encode of L0 = 32 + L % 32 seconds and (L - L0) / 32 such runs. The
// library counts ceil(samples / 1,152) + 1 audio frames: its delay of 576 samples and the
// padding after. The sample buffer comes zeroed from the system and is never touched,
// whatever the length. The checker's caption is the decoded bytes as the loader's own
// routine counts them, run on these files: for 24,348 s its 32-bit count wraps round to a
// negative size.
TEST(LongFiles, GrowByWholeRunsOfRepeatedFramesThatTheInfoFrameCountsAndPlayUpTo24347Seconds) {
  RecordBoxes();
  const std::string over = " s long, over the 24,347 s the game takes: it stops with a fatal "
                           "memory error";
  const struct { uint64_t seconds; std::string said; } rows[] = {
      {24347, "plays it, caption 24,346.984 s (MPEG-1 Layer III, 44,100 Hz, mono, VBR)"},
      {24348, "quits on it: 24,347.951" + over},
      {28800, "quits on it: 28,799.947" + over},
  };
  for (const auto& [seconds, said] : rows) {
    SCOPED_TRACE(std::to_string(seconds) + " s");
    ScratchDirectory scratch;
    const std::string path = scratch.path + "/voice.mp3";
    ASSERT_GE(CreateBlankMP3(static_cast<int>(seconds), scratch.Own().c_str(), "voice"), 0);
    EXPECT_EQ(DescribeVoiceCheck("voice.mp3", CheckVoiceFile(path)),
              "voice.mp3: Jedi Outcast " + said);
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    EXPECT_LT(usage.ru_maxrss / 1024, 1500) << "a touched sample buffer alone takes 4,845 MB";

    const Bytes file = ReadWholeFile(path);
    const uint64_t shorter = 32 + seconds % 32;
    const size_t fullBytes = FullEncode(shorter, scratch.path + "/full").size();
    const uint64_t samples = seconds * 44100, audioFrames = (samples + 1151) / 1152 + 1;
    const uint64_t audioBytes = fullBytes + (seconds - shorter) / 32 * 1225 * 104;
    ASSERT_EQ(file.size(), audioBytes + 128);
    EXPECT_EQ(ExpectWellFormedFrames(file), audioFrames + 1);
    if (seconds == 28800) ExpectDecodersReadSilence(path, seconds, true);
  }
}

}  // namespace
