// Tests of the silent MP3 writer: configuration bytes, paths, tag, failures, and its files
// read back by independent decoders and the frame walker up to the longest length.
#include "generator/hushmaker.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "mp3_test_tools.h"
#include "platform/platform.h"
#include "resources/version_info.h"

namespace {

constexpr uint64_t kRate = 44100;
constexpr int kYear = 2031;

std::vector<std::string> boxes;  // caption and text of each box the writer shows

// Boxes are recorded instead of shown, and the local year is fixed.
class CreateBlankMP3Test : public ::testing::Test {
 protected:
  void SetUp() override {
    boxes.clear();
    ReplaceBoxPresenter([](const char* caption, const char* text, BoxIcon icon) {
      EXPECT_EQ(icon, BoxIcon::Warning) << "the writer shows warnings only";
      boxes.push_back(std::string(caption) + "\n" + text);
    });
    ReplaceLocalClock([] { return LocalDateTime{kYear, 6, 15, 12, 0, 0}; });
  }
};

// The writer's box for a failure reported under line, as the recorder notes it.
std::string WarningBox(int line, const std::string& message) {
  return "Called from: \"hushmaker\", line " + std::to_string(line) +
         "\n*********** WARNING ***********\n" + message + "\n";
}

// Every frame follows the writer's configuration, the Xing/Info frame counts the frames
// after it, and decoders give exactly the length asked, all zero.
void ExpectSilence(const std::string& path, uint64_t seconds, bool everyDecoder) {
  const Mp3Walk walk = WalkMp3(ReadWholeFile(path));
  ASSERT_GT(walk.frames, 1u);
  EXPECT_TRUE(walk.endsCleanly && walk.hasId3v1);
  EXPECT_EQ(walk.offFrames, 0u);
  EXPECT_EQ(walk.xingFrames, walk.frames - 1);
  std::vector<std::string> decoders = {"mpg123 -q -s " + path};
  if (everyDecoder) decoders.push_back("ffmpeg -v error -i " + path + " -f s16le -");
  for (const std::string& decoder : decoders) {
    const CommandRun pcm = RunCommand(decoder);
    EXPECT_EQ(pcm.status, 0) << decoder;
    EXPECT_EQ(pcm.words, seconds * kRate) << decoder;
    EXPECT_EQ(pcm.nonZeroWords, 0u) << decoder;
  }
  if (!everyDecoder) return;
  EXPECT_EQ(RunCommand("ffprobe -v error -show_entries stream=codec_name,sample_rate,channels "
                       "-of default=nw=1 " + path).output,
            "codec_name=mp3\nsample_rate=44100\nchannels=1\n");
  // mp3val reports INFO for what it found and WARNING or ERROR for any problem.
  const std::string report = RunCommand("mp3val " + path + " 2>&1").output;
  EXPECT_TRUE(report.find("WARNING") == report.npos && report.find("ERROR") == report.npos &&
              report.find("MPEG 1 Layer III") != report.npos) << report;
}

TEST_F(CreateBlankMP3Test, DecodersReadExactlyTheLengthAsked) {
  // One second, a round length, and one that ends inside a frame past a minute.
  for (int seconds : {1, 10, 61}) {
    SCOPED_TRACE(std::to_string(seconds) + " s");
    ScratchDirectory scratch;
    ASSERT_GE(CreateBlankMP3(seconds, scratch.own().c_str(), "voice"), 0);
    EXPECT_TRUE(boxes.empty());
    ExpectSilence(scratch.path() + "/voice.mp3", static_cast<uint64_t>(seconds), true);
  }
}

// The longest length a user can ask for, in a child process so that its peak memory is
// its own. The 5 GB sample buffer is silence the system hands out already zero and that
// is never written, so it costs next to no physical memory.
TEST_F(CreateBlankMP3Test, EightHoursSucceedInLittleMemory) {
  ScratchDirectory scratch;
  const pid_t child = fork();
  if (child == 0) _exit(CreateBlankMP3(28800, scratch.own().c_str(), "eight") >= 0 ? 0 : 1);
  int status = 0;
  rusage usage = {};
  ASSERT_EQ(wait4(child, &status, 0, &usage), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the writer reported a failure";
  // About 120 MB in a plain build, some 730 MB under AddressSanitizer.
  EXPECT_LT(usage.ru_maxrss / 1024, 1500) << "a touched sample buffer alone takes 4,845 MB";
  ExpectSilence(scratch.path() + "/eight.mp3", 28800, false);
}

TEST_F(CreateBlankMP3Test, HandsTheEncoderExactlyTheFixedRecord) {
  // Offsets and values of the stored fields, little-endian; the other bytes are zero.
  const std::pair<size_t, uint32_t> kStored[] = {
      {0, 256}, {4, 1}, {8, 331},    // dwConfig (the LAME layout), dwStructVersion, dwStructSize
      {12, 44100}, {20, 3},          // dwSampleRate, nMode (mono)
      {24, 32}, {28, 128}, {36, 1},  // dwBitrate, dwMaxBitrate, dwMpegVersion (MPEG-1)
      {56, 1}, {60, 1}, {64, 1},     // bCopyright, bOriginal, bWriteVBRHeader
      {68, 1}, {72, 9}};             // bEnableVBR, nVBRQuality
  Bytes expected(331, 0);
  for (const auto& [at, value] : kStored) {
    for (int i = 0; i < 4; ++i) expected[at + i] = static_cast<uint8_t>(value >> (8 * i));
  }
  // Whatever an earlier run left in the record, a run starts from a cleared one.
  std::memset(const_cast<BE_CONFIG*>(&GetEncoderConfig()), 0xEE, sizeof(BE_CONFIG));
  ScratchDirectory scratch;
  ASSERT_GE(CreateBlankMP3(1, scratch.own().c_str(), "a"), 0);
  const auto* bytes = reinterpret_cast<const uint8_t*>(&GetEncoderConfig());
  EXPECT_EQ(Bytes(bytes, bytes + sizeof(BE_CONFIG)), expected);
}

TEST_F(CreateBlankMP3Test, WritesTheNamedFileWithItsTag) {
  const Bytes tag = Tagged({}, {{TAG_TITLE, ">>> Empty file <<<"},
                                {TAG_ARTIST, VERSION_CONTACT_ADDRESS},
                                {TAG_YEAR, std::to_string(kYear)},
                                {TAG_COMMENT, "Made by Hushmaker"},
                                {TAG_GENRE, "\x65"}});  // 101, Speech
  struct Row {
    bool directoryGiven;
    const char* name;  // nullptr: absent
    const char* file;  // what the directory then holds
    bool tagged;
  };
  const Row rows[] = {
      {false, nullptr, "blankfile.mp3", true},  // .\blankfile.mp3, the working directory
      {true, "voice", "voice.mp3", true},
      {true, "voice.mp3", "voice.mp3", true},
      {true, "voice.MP3", "voice.mp3", true},
      // Only the last extension goes; what is left still has one, so no ".mp3" and no tag.
      {true, "voice.01.wav", "voice.01", false},
      {true, ".voice", ".voice.mp3", true},  // a leading dot is no extension
  };
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof(previous)), nullptr);
  // Each target exists already: the run replaces it and keeps its permission bits.
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name ? row.name : "no name");
    ScratchDirectory scratch;
    const std::string path = scratch.path() + "/" + row.file;
    WriteWholeFile(path, Bytes(10, 'x'));
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_EQ(chdir(scratch.path().c_str()), 0);
    EXPECT_GE(CreateBlankMP3(1, row.directoryGiven ? scratch.own().c_str() : nullptr, row.name),
              0);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(scratch.List(), row.file + std::string("\n")) << "nothing left over";
    const Bytes bytes = ReadWholeFile(path);
    ASSERT_GT(bytes.size(), 128u);
    EXPECT_EQ(Bytes(bytes.end() - 128, bytes.end()) == tag, row.tagged);
    EXPECT_TRUE(WalkMp3(bytes).endsCleanly);
    struct stat info = {};
    EXPECT_EQ(stat(path.c_str(), &info) == 0 ? info.st_mode & 0777 : 0, 0640u);
  }
  ASSERT_EQ(chdir(previous), 0);
}

// Each run is a child process whose files may not grow past the row's limit, with the
// signal for a larger write ignored so that the write itself fails.
TEST_F(CreateBlankMP3Test, EachFailureIsReportedAndLeavesTheFilesAsTheyWere) {
  ScratchDirectory scratch;
  const std::string own = scratch.own();
  // Directories whose path with "voice.mp3" is 259 and 260 characters: the first fits and
  // fails only because the directory does not exist.
  const std::string fits = own + std::string(249 - own.size(), 'd') + "\\";
  const std::string tooLong = own + std::string(250 - own.size(), 'd') + "\\";
  ASSERT_EQ(mkdir((scratch.path() + "/taken.mp3").c_str(), 0755), 0);
  WriteWholeFile(scratch.path() + "/voice.mp3", Bytes(8000, 0x5A));
  const std::string kOpenFailure = WarningBox(215, "CreateBlankMP3(): fopen() failure\n>>> "
                                   "Cannot open target MP3 file for writing encoded WAV data");
  struct Row {
    int seconds;
    std::string directory;
    const char* name;
    std::string box;
    rlim_t limit = RLIM_INFINITY;
  };
  const Row rows[] = {
      {1, own + "missing\\", "voice", kOpenFailure},
      {1, "\\proc\\", "voice", kOpenFailure},  // nobody may write there
      {1, own, "taken", kOpenFailure},         // a directory in the file's place
      {1, fits, "voice", kOpenFailure},
      {1, tooLong, "voice",
       WarningBox(131, "CreateBlankMP3(): path length failure\n>>> The target directory and "
                       "file name are longer than 259 characters")},
      {-1, own, "voice",
       WarningBox(157, "CreateBlankMP3(): memory allocation failure\n>>> Operator new failed "
                       "to allocate -44100 of memory to store WAV data")},
      // 10 s give some 40 kB in one write, which stops at the limit.
      {10, own, "voice",
       WarningBox(335, "CreateBlankMP3(): fwrite() failure\n>>> Cannot write encoded WAV data "
                       "to target MP3 file"), 2000},
      // 1 s gives about 4.6 kB, taken whole by the stream's buffer: the limit is met only
      // when the file is closed.
      {1, own, "voice",
       WarningBox(417, "CreateBlankMP3(): fclose() failure\n>>> Cannot write remaining MP3 "
                       "data to target MP3 file"), 4500},
  };
  for (const Row& row : rows) {
    const auto run = [&] {
      signal(SIGXFSZ, SIG_IGN);
      const rlimit size = {row.limit, row.limit};
      setrlimit(RLIMIT_FSIZE, &size);
      const int result = CreateBlankMP3(row.seconds, row.directory.c_str(), row.name);
      for (const std::string& box : boxes) std::fprintf(stderr, "%s", box.c_str());
      _exit(result == -1 && boxes == std::vector<std::string>{row.box} ? 0 : 1);
    };
    EXPECT_EXIT(run(), ::testing::ExitedWithCode(0), "") << row.box;
    EXPECT_EQ(ReadWholeFile(scratch.path() + "/voice.mp3"), Bytes(8000, 0x5A));
    EXPECT_EQ(scratch.List(), "taken.mp3\nvoice.mp3\n") << "no partial file left";
  }
}

}  // namespace
