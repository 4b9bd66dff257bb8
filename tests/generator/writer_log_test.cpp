// The writer's log lines, in a build of the writer and the log with file logging on.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "generator/hushmaker.h"
#include "mp3_test_tools.h"
#include "writer_fixture.h"

namespace {

// The entries of process.log in the working directory, without their "(seconds) " prefix.
std::vector<std::string> LogEntries() {
  const std::vector<uint8_t> bytes = ReadWholeFile("process.log");
  const std::string text(bytes.begin(), bytes.end());
  std::vector<std::string> entries;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    end = end == std::string::npos ? text.size() : end + 1;
    const std::string line = text.substr(at, end - at);
    int seconds = 0, prefix = 0;
    if (std::sscanf(line.c_str(), "(%d) %n", &seconds, &prefix) == 1 && prefix > 0) {
      entries.push_back(line.substr(static_cast<size_t>(prefix)));
    }
    at = end;
  }
  return entries;
}

// The number in an entry of the form "<lead><number> bytes\n", or -1.
long CountIn(const std::string& entry, const std::string& lead) {
  if (entry.compare(0, lead.size(), lead) != 0) return -1;
  long count = -1;
  char rest[16] = {};
  if (std::sscanf(entry.c_str() + lead.size(), "%ld%15[^\n]", &count, rest) != 2) return -1;
  return std::string(rest) == " bytes" && entry.back() == '\n' ? count : -1;
}

using WriterLog = WriterTest;

TEST_F(WriterLog, TellsEachStepWithNativePaths) {
  ScratchDirectory work, target;
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof(previous)), nullptr);
  ASSERT_EQ(chdir(work.path().c_str()), 0);

  struct Row {
    const char* what;
    bool directoryGiven;
    const char* name;
    std::string file;
    std::string createdLine;
  };
  const Row rows[] = {
      {"given directory", true, "voice.wav", target.path() + "/voice.mp3",
       "File \"voice.mp3\" created in \"" + target.path() + "\"\n"},
      {"working directory", false, nullptr, work.path() + "/blankfile.mp3",
       "File \"blankfile.mp3\" created in current directory\n"},
  };
  for (const Row& row : rows) {
    std::remove("process.log");
    ASSERT_GE(CreateBlankMP3(1, row.directoryGiven ? OwnDirectory(target.path()).c_str() : nullptr,
                             row.name),
              0)
        << row.what;
    const std::vector<std::string> entries = LogEntries();
    ASSERT_EQ(entries.size(), 6u) << row.what;
    EXPECT_EQ(entries[0], "I am gonna create a 1 second long MP3 file\n") << row.what;
    EXPECT_EQ(entries[1], "Blank WAV data initialized\n") << row.what;
    const long encoded = CountIn(entries[2], "Amount of encoded data written: ");
    const long remaining = CountIn(entries[3], "Remaining MP3 data to write: ");
    ASSERT_GT(encoded, 0) << entries[2];
    ASSERT_GT(remaining, 0) << entries[3];
    EXPECT_EQ(entries[4], row.createdLine) << row.what;
    EXPECT_EQ(entries[5], "I have added in front of it a Xing header\n") << row.what;
    // The two counts are the audio; the tag follows it.
    EXPECT_EQ(static_cast<size_t>(encoded + remaining + 128), ReadWholeFile(row.file).size())
        << row.what;
  }
  ASSERT_EQ(chdir(previous), 0);
}

TEST_F(WriterLog, AFailedRunLogsItsStartAndItsBox) {
  ScratchDirectory work;
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof(previous)), nullptr);
  ASSERT_EQ(chdir(work.path().c_str()), 0);
  EXPECT_EQ(CreateBlankMP3(-1, nullptr, "voice"), -1);
  EXPECT_EQ(LogEntries(), (std::vector<std::string>{
                              "I am gonna create a -1 second long MP3 file\n",
                              "Warning box displayed\n"}));
  EXPECT_EQ(work.List(), std::vector<std::string>{"process.log"});
  ASSERT_EQ(chdir(previous), 0);
}

}  // namespace
