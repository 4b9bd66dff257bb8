// Files of hours: the stream's repeated frames and the Info frame's 32-bit fields on both
// sides of 24,347 s, where the decoded size passes 2^31 bytes and the sample buffer 4 GiB,
// and eight hours read by a decoder. Labelled slow: some seconds each.
#include <sys/resource.h>

#include "encoder/crc16.h"
#include "generator/hushmaker.h"
#include "tests/test_support.h"

namespace {

uint32_t BigEndian(const uint8_t* at, int bytes) {
  uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) value = value << 8 | at[i];
  return value;
}

// Past the first seconds a file grows by 1,225 frames of 104 bytes (32 kbit/s, no padding)
// every 32 s, which are exactly 1,225 x 1,152 samples; so a file of L seconds holds the
// bytes of a full encode of L0 = 32 + L % 32 seconds and (L - L0) / 32 such runs. The
// library counts ceil(samples / 1,152) + 1 audio frames: its delay of 576 samples and the
// padding after. The sample buffer comes zeroed from the system and is never touched,
// whatever the length.
TEST(LongFiles, GrowByWholeRunsOfRepeatedFramesWithInfoFieldsThatCountThemAll) {
  RecordBoxes();
  for (const uint64_t seconds : {24346, 24348, 28800}) {
    SCOPED_TRACE(std::to_string(seconds) + " s");
    ScratchDirectory scratch;
    const std::string path = scratch.path + "/voice.mp3";
    ASSERT_GE(CreateBlankMP3(static_cast<int>(seconds), scratch.Own().c_str(), "voice"), 0);
    ASSERT_EQ(g_shown_boxes, "");
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    EXPECT_LT(usage.ru_maxrss / 1024, 1500) << "a touched sample buffer alone takes 4,845 MB";

    const Bytes file = ReadWholeFile(path);
    const uint64_t shorter = 32 + seconds % 32;
    const size_t fullBytes = EncodeZeros(WriterSettings(), shorter * 44100, 1152 * 256, false,
                                         scratch.path + "/full").file.size();
    const uint64_t samples = seconds * 44100, audioFrames = (samples + 1151) / 1152 + 1;
    const uint64_t audioBytes = fullBytes + (seconds - shorter) / 32 * 1225 * 104;
    ASSERT_EQ(file.size(), audioBytes + 128);
    EXPECT_EQ(ExpectWellFormedFrames(file), audioFrames + 1);

    const uint8_t* info = &file[4 + 17];  // behind the header and the side information
    const size_t infoFrameBytes = 144 * 128000 / 44100 + (file[2] >> 1 & 1);  // 128 kbit/s
    EXPECT_EQ(file[2] >> 4, 9) << "the Info frame is not at 128 kbit/s";
    EXPECT_EQ(BigEndian(info + 8, 4), audioFrames) << "frame count";
    EXPECT_EQ(BigEndian(info + 12, 4), audioBytes) << "byte count";
    EXPECT_EQ(BigEndian(info + 148, 4), audioBytes) << "music length";
    EXPECT_EQ(BigEndian(info + 141, 3), 576u << 12 | (audioFrames * 1152 - samples - 576))
        << "delay and padding";
    // UpdateCrc16 is held to the library's own: a stream refuses an Info frame whose CRC
    // it did not follow.
    EXPECT_EQ(BigEndian(info + 152, 2),
              UpdateCrc16(0, &file[infoFrameBytes], audioBytes - infoFrameBytes)) << "music CRC";
    EXPECT_EQ(BigEndian(info + 154, 2), UpdateCrc16(0, file.data(), 4 + 17 + 154)) << "frame CRC";
    if (seconds == 28800) ExpectDecodersReadSilence(path, seconds, true);
  }
}

}  // namespace
