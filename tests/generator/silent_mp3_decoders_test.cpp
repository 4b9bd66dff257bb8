// The writer's files read back by independent programs (ffprobe, mpg123, ffmpeg, mp3val)
// and by the tests' own frame walker, up to the longest length a user can ask for.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "generator/hushmaker.h"
#include "mp3_test_tools.h"
#include "writer_fixture.h"

namespace {

constexpr uint64_t kRate = 44100;

// Every frame is MPEG-1 Layer III, mono, 44.1 kHz, copyright and original, no CRC, no
// private bit, 32..128 kbit/s; the Xing/Info frame counts the frames after it.
void ExpectFramesOfTheWriter(const std::string& path, uint64_t seconds) {
  const Mp3Walk walk = WalkMp3(ReadWholeFile(path));
  ASSERT_GT(walk.frames.size(), 1u);
  EXPECT_TRUE(walk.endsCleanly);
  EXPECT_TRUE(walk.hasId3v1);
  size_t wrong = 0;
  for (const FrameHeader& f : walk.frames) {
    const bool right = f.mpegVersion == 1 && f.sampleRate == 44100 &&
                       f.channelMode == 3 && f.copyright && f.original && !f.crc &&
                       !f.privateBit && f.bitRateKbps >= 32 && f.bitRateKbps <= 128;
    if (!right) ++wrong;
  }
  EXPECT_EQ(wrong, 0u) << "frames off the configuration";
  EXPECT_FALSE(walk.vbrTagId.empty());
  EXPECT_EQ(walk.vbrFrameCount, walk.frames.size() - 1);
  // The audio frames hold the length plus the encoder's delay and padding, not more
  // than a few frames over it.
  const uint64_t held = (walk.frames.size() - 1) * uint64_t{1152};
  EXPECT_GE(held, seconds * kRate);
  EXPECT_LT(held, seconds * kRate + 4 * 1152);
}

void ExpectDecodersReadExactly(const std::string& path, uint64_t seconds) {
  const std::string quoted = ShellQuote(path);
  int status = -1;
  EXPECT_EQ(RunCommand("ffprobe -v error -show_entries stream=codec_name,sample_rate,channels "
                       "-of default=noprint_wrappers=1 " + quoted,
                       &status),
            "codec_name=mp3\nsample_rate=44100\nchannels=1\n");
  EXPECT_EQ(status, 0);

  const DecodedPcm byMpg123 = RunDecoder("mpg123 -q -s " + quoted);
  EXPECT_EQ(byMpg123.status, 0);
  EXPECT_EQ(byMpg123.samples, seconds * kRate) << "mpg123";
  EXPECT_EQ(byMpg123.nonZero, 0u) << "mpg123";

  const DecodedPcm byFfmpeg = RunDecoder("ffmpeg -v error -i " + quoted + " -f s16le -");
  EXPECT_EQ(byFfmpeg.status, 0);
  EXPECT_EQ(byFfmpeg.samples, seconds * kRate) << "ffmpeg";
  EXPECT_EQ(byFfmpeg.nonZero, 0u) << "ffmpeg";

  // mp3val reports INFO for what it found and WARNING or ERROR for any problem.
  const std::string report = RunCommand("mp3val " + quoted + " 2>&1", &status);
  EXPECT_EQ(report.find("WARNING"), std::string::npos) << report;
  EXPECT_EQ(report.find("ERROR"), std::string::npos) << report;
  EXPECT_NE(report.find("MPEG 1 Layer III"), std::string::npos) << report;
}

using SilentMp3Decoders = WriterTest;

TEST_F(SilentMp3Decoders, ReadExactlyTheLengthAsked) {
  // One second, a round length, and one that ends inside a frame past a minute.
  for (int seconds : {1, 10, 61}) {
    SCOPED_TRACE(std::to_string(seconds) + " s");
    ScratchDirectory scratch;
    ASSERT_GE(CreateBlankMP3(seconds, OwnDirectory(scratch.path()).c_str(), "voice"), 0);
    EXPECT_TRUE(boxes_.empty());
    const std::string path = scratch.path() + "/voice.mp3";
    ExpectFramesOfTheWriter(path, static_cast<uint64_t>(seconds));
    ExpectDecodersReadExactly(path, static_cast<uint64_t>(seconds));
  }
}

// The longest length a user can ask for, in a child process so that its peak memory is
// its own. The 5 GB sample buffer is silence the system hands out already zero and that
// is never written, so it costs next to no physical memory.
TEST_F(SilentMp3Decoders, EightHoursSucceedInLittleMemory) {
  constexpr int kSeconds = 28800;
  ScratchDirectory scratch;
  const std::string directory = OwnDirectory(scratch.path());
  const pid_t child = fork();
  if (child == 0) _exit(CreateBlankMP3(kSeconds, directory.c_str(), "eight") >= 0 ? 0 : 1);
  int status = 0;
  rusage usage = {};
  ASSERT_EQ(wait4(child, &status, 0, &usage), child);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0) << "the writer reported a failure";
  const long peakMegabytes = usage.ru_maxrss / 1024;
  // About 120 MB in a plain build, some 730 MB under AddressSanitizer.
  EXPECT_LT(peakMegabytes, 1500) << "a touched sample buffer alone would take 4,845 MB";

  const std::string path = scratch.path() + "/eight.mp3";
  ExpectFramesOfTheWriter(path, kSeconds);
  const DecodedPcm byMpg123 = RunDecoder("mpg123 -q -s " + ShellQuote(path));
  EXPECT_EQ(byMpg123.samples, kSeconds * kRate);
  EXPECT_EQ(byMpg123.nonZero, 0u);
}

}  // namespace
