// Tests of the silent MP3 writer: configuration bytes, paths, tags and failures.
#include "generator/hushmaker.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "mp3_test_tools.h"
#include "resources/version_info.h"
#include "writer_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Names = std::vector<std::string>;

const char kWarningBanner[] = "*********** WARNING ***********\n";

std::string Caption(int line) {
  return "Called from: \"hushmaker\", line " + std::to_string(line);
}

std::string BoxText(const std::string& message) { return kWarningBanner + message + "\n"; }

bool EndsInTag(const Bytes& bytes) {
  return bytes.size() >= 128 && std::memcmp(&bytes[bytes.size() - 128], "TAG", 3) == 0;
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

// Runs the body with the working directory set to dir.
template <typename Body>
void InDirectory(const std::string& dir, Body body) {
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof(previous)), nullptr);
  ASSERT_EQ(chdir(dir.c_str()), 0);
  body();
  ASSERT_EQ(chdir(previous), 0);
}

using CreateBlankMP3Test = WriterTest;

TEST_F(CreateBlankMP3Test, HandsTheEncoderExactlyTheFixedRecord) {
  // Bytes 0..93 of the record, little-endian; bytes 94..330 are reserved and zero.
  const uint8_t kHead[94] = {
      0x00, 0x01, 0x00, 0x00,  // 0   dwConfig 256 (the LAME layout)
      0x01, 0x00, 0x00, 0x00,  // 4   dwStructVersion 1
      0x4B, 0x01, 0x00, 0x00,  // 8   dwStructSize 331
      0x44, 0xAC, 0x00, 0x00,  // 12  dwSampleRate 44100
      0x00, 0x00, 0x00, 0x00,  // 16  dwReSampleRate 0
      0x03, 0x00, 0x00, 0x00,  // 20  nMode 3 (mono)
      0x20, 0x00, 0x00, 0x00,  // 24  dwBitrate 32
      0x80, 0x00, 0x00, 0x00,  // 28  dwMaxBitrate 128
      0x00, 0x00, 0x00, 0x00,  // 32  nPreset
      0x01, 0x00, 0x00, 0x00,  // 36  dwMpegVersion 1 (MPEG-1)
      0x00, 0x00, 0x00, 0x00,  // 40  dwPsyModel
      0x00, 0x00, 0x00, 0x00,  // 44  dwEmphasis
      0x00, 0x00, 0x00, 0x00,  // 48  bPrivate 0
      0x00, 0x00, 0x00, 0x00,  // 52  bCRC 0
      0x01, 0x00, 0x00, 0x00,  // 56  bCopyright 1
      0x01, 0x00, 0x00, 0x00,  // 60  bOriginal 1
      0x01, 0x00, 0x00, 0x00,  // 64  bWriteVBRHeader 1
      0x01, 0x00, 0x00, 0x00,  // 68  bEnableVBR 1
      0x09, 0x00, 0x00, 0x00,  // 72  nVBRQuality 9
      0x00, 0x00, 0x00, 0x00,  // 76  dwVbrAbr_bps
      0x00, 0x00, 0x00, 0x00,  // 80  nVbrMethod
      0x00, 0x00, 0x00, 0x00,  // 84  bNoRes
      0x00, 0x00, 0x00, 0x00,  // 88  bStrictIso
      0x00, 0x00,              // 92  nQuality
  };
  Bytes expected(kHead, kHead + sizeof(kHead));
  expected.resize(331, 0);

  // Whatever an earlier run left in the record, a run starts from a cleared one.
  std::memset(const_cast<BE_CONFIG*>(&GetEncoderConfig()), 0xEE, sizeof(BE_CONFIG));
  ScratchDirectory scratch;
  ASSERT_GE(CreateBlankMP3(1, OwnDirectory(scratch.path()).c_str(), "a"), 0);

  const BE_CONFIG& handed = GetEncoderConfig();
  ASSERT_EQ(sizeof(handed), 331u);
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&handed);
  EXPECT_EQ(Bytes(bytes, bytes + sizeof(handed)), expected);
}

TEST_F(CreateBlankMP3Test, BuildsThePathFromDirectoryAndName) {
  struct Row {
    bool directoryGiven;
    const char* name;  // nullptr: absent
    const char* file;  // what appears in the directory
    bool tagged;
  };
  const Row rows[] = {
      {false, nullptr, "blankfile.mp3", true},  // .\blankfile.mp3 in the working directory
      {true, nullptr, "blankfile.mp3", true},
      {false, "voice", "voice.mp3", true},
      {true, "voice", "voice.mp3", true},
      {true, "voice.mp3", "voice.mp3", true},
      {true, "voice.MP3", "voice.mp3", true},
      {true, "voice.wav", "voice.mp3", true},
      // Only the last extension goes; what is left still has one, so no ".mp3" and no tag.
      {true, "voice.01.wav", "voice.01", false},
      // A leading dot is no extension.
      {true, ".voice", ".voice.mp3", true},
  };
  for (const Row& row : rows) {
    const std::string what = std::string(row.directoryGiven ? "directory, " : "no directory, ") +
                             (row.name ? row.name : "no name");
    ScratchDirectory scratch;
    boxes_.clear();
    int result = -2;
    InDirectory(scratch.path(), [&] {
      result = CreateBlankMP3(
          1, row.directoryGiven ? OwnDirectory(scratch.path()).c_str() : nullptr, row.name);
    });
    EXPECT_GE(result, 0) << what;
    EXPECT_TRUE(boxes_.empty()) << what;
    // The file and nothing else: no file left over from the writing.
    EXPECT_EQ(scratch.List(), Names{row.file}) << what;
    EXPECT_EQ(EndsInTag(ReadWholeFile(scratch.path() + "/" + row.file)), row.tagged) << what;
  }
}

TEST_F(CreateBlankMP3Test, WritesTheTagOfTheTable) {
  ScratchDirectory scratch;
  ASSERT_GE(CreateBlankMP3(1, OwnDirectory(scratch.path()).c_str(), "voice"), 0);
  const Bytes bytes = ReadWholeFile(scratch.path() + "/voice.mp3");
  ASSERT_GE(bytes.size(), 128u);
  const Bytes tag(bytes.end() - 128, bytes.end());

  Bytes expected(128, 0);
  auto put = [&expected](size_t at, const char* text) {
    std::memcpy(&expected[at], text, std::strlen(text));
  };
  put(0, "TAG");
  put(3, ">>> Empty file <<<");  // title, 12 zero bytes follow
  put(33, VERSION_CONTACT_ADDRESS);   // artist
  // album (63..92) stays zero
  put(93, "2031");               // year: the local clock's
  put(97, "Made by Hushmaker");  // comment, 11 zero bytes follow
  expected[125] = 0;             // the 1.1 layout's zero byte
  expected[126] = 0;             // track
  expected[127] = 101;           // genre: Speech
  EXPECT_EQ(tag, expected);
}

TEST_F(CreateBlankMP3Test, ReplacesAnExistingFileAndKeepsItsPermissions) {
  ScratchDirectory scratch;
  const std::string target = scratch.path() + "/voice.mp3";
  WriteFile(target, Bytes(10, 'x'));
  ASSERT_EQ(chmod(target.c_str(), 0640), 0);

  ASSERT_GE(CreateBlankMP3(1, OwnDirectory(scratch.path()).c_str(), "voice"), 0);
  EXPECT_EQ(scratch.List(), Names{"voice.mp3"});
  const Bytes bytes = ReadWholeFile(target);
  EXPECT_TRUE(WalkMp3(bytes).endsCleanly);
  EXPECT_TRUE(EndsInTag(bytes));
  struct stat info;
  ASSERT_EQ(stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST_F(CreateBlankMP3Test, ReportsEachRefusalAndTouchesNoFile) {
  ScratchDirectory scratch;
  const std::string own = OwnDirectory(scratch.path());
  // Directories whose path with "voice.mp3" is exactly 259 and 260 characters: the
  // first fits and fails only because the directory does not exist.
  const std::string fits = own + std::string(250 - own.size() - 1, 'd') + "\\";
  const std::string tooLong = own + std::string(251 - own.size() - 1, 'd') + "\\";
  ASSERT_EQ((fits + "voice.mp3").size(), 259u);
  WriteFile(scratch.path() + "/plain", Bytes(3, 'p'));
  ASSERT_EQ(mkdir((scratch.path() + "/taken.mp3").c_str(), 0755), 0);

  const std::string kOpenFailure =
      "CreateBlankMP3(): fopen() failure\n>>> Cannot open target MP3 file for writing "
      "encoded WAV data";
  struct Row {
    const char* what;
    int seconds;
    std::string directory;
    const char* name;
    int line;
    std::string message;
  };
  const Row rows[] = {
      {"missing directory", 1, own + "missing\\", "voice", 215, kOpenFailure},
      {"directory nobody may write", 1, "\\proc\\", "voice", 215, kOpenFailure},
      {"a file where the directory should be", 1, own + "plain\\", "voice", 215, kOpenFailure},
      {"a directory where the file should be", 1, own, "taken", 215, kOpenFailure},
      {"path of 259 characters in a missing directory", 1, fits, "voice", 215, kOpenFailure},
      {"path of 260 characters", 1, tooLong, "voice", 131,
       "CreateBlankMP3(): path length failure\n>>> The target directory and file name are "
       "longer than 259 characters"},
      {"length -1", -1, own, "voice", 157,
       "CreateBlankMP3(): memory allocation failure\n>>> Operator new failed to allocate "
       "-44100 of memory to store WAV data"},
      {"length -32768", -32768, own, "voice", 157,
       "CreateBlankMP3(): memory allocation failure\n>>> Operator new failed to allocate "
       "-1445068800 of memory to store WAV data"},
  };
  for (const Row& row : rows) {
    boxes_.clear();
    EXPECT_EQ(CreateBlankMP3(row.seconds, row.directory.c_str(), row.name), -1) << row.what;
    ASSERT_EQ(boxes_.size(), 1u) << row.what;
    EXPECT_EQ(boxes_[0].caption, Caption(row.line)) << row.what;
    EXPECT_EQ(boxes_[0].text, BoxText(row.message)) << row.what;
    EXPECT_EQ(boxes_[0].icon, BoxIcon::Warning) << row.what;
    EXPECT_EQ(scratch.List(), (Names{"plain", "taken.mp3"})) << row.what;
    EXPECT_EQ(ReadWholeFile(scratch.path() + "/plain"), Bytes(3, 'p')) << row.what;
  }
}

// Runs the writer in a child process whose files may not grow past limit bytes, with
// the signal for a larger write ignored so that the write itself fails. Returns the
// captions and texts of its boxes, then its result, each ended by a zero byte.
std::vector<std::string> RunWithFileSizeLimit(rlim_t limit, int seconds,
                                              const std::string& directory) {
  int channel[2];
  if (pipe(channel) != 0) return {};
  if (fork() == 0) {
    FILE* report = fdopen(channel[1], "w");
    ReplaceBoxPresenter([report](const char* caption, const char* text, BoxIcon) {
      std::fprintf(report, "%s%c%s%c", caption, 0, text, 0);
    });
    signal(SIGXFSZ, SIG_IGN);
    const rlimit size = {limit, limit};
    setrlimit(RLIMIT_FSIZE, &size);
    std::fprintf(report, "%d%c", CreateBlankMP3(seconds, directory.c_str(), "voice"), 0);
    std::fclose(report);
    _exit(0);
  }
  close(channel[1]);
  std::string text;
  char block[4096];
  ssize_t got;
  while ((got = read(channel[0], block, sizeof(block))) > 0) text.append(block, got);
  close(channel[0]);
  wait(nullptr);
  std::vector<std::string> parts;
  for (size_t at = 0, end; (end = text.find('\0', at)) != std::string::npos; at = end + 1) {
    parts.push_back(text.substr(at, end - at));
  }
  return parts;
}

TEST_F(CreateBlankMP3Test, AFailedWriteLeavesTheExistingFileAsItWas) {
  struct Row {
    rlim_t limit;
    int seconds;
    int line;
    const char* message;
  };
  const Row rows[] = {
      // 10 s give some 40 kB in one write, which stops at the limit.
      {2000, 10, 335,
       "CreateBlankMP3(): fwrite() failure\n>>> Cannot write encoded WAV data to target MP3 "
       "file"},
      // 1 s gives about 4.6 kB, taken whole by the stream's buffer: the limit is met only
      // when the file is closed.
      {4500, 1, 417,
       "CreateBlankMP3(): fclose() failure\n>>> Cannot write remaining MP3 data to target "
       "MP3 file"},
  };
  for (const Row& row : rows) {
    ScratchDirectory scratch;
    const std::string target = scratch.path() + "/voice.mp3";
    Bytes previous(8000);
    for (size_t i = 0; i < previous.size(); ++i) previous[i] = static_cast<uint8_t>(i * 7);
    WriteFile(target, previous);

    EXPECT_EQ(RunWithFileSizeLimit(row.limit, row.seconds, OwnDirectory(scratch.path())),
              (std::vector<std::string>{Caption(row.line), BoxText(row.message), "-1"}))
        << row.line;
    EXPECT_EQ(ReadWholeFile(target), previous) << row.line;
    EXPECT_EQ(scratch.List(), Names{"voice.mp3"}) << row.line << ": no partial file left";
  }
}

}  // namespace
