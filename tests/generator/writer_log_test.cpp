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

// The entries of process.log in the working directory, without their "(seconds) " prefix
// and with the byte counts replaced by '#'.
std::vector<std::string> LogEntries(long* countedBytes) {
  const std::vector<uint8_t> bytes = ReadWholeFile("process.log");
  const std::string text(bytes.begin(), bytes.end());
  std::vector<std::string> entries;
  *countedBytes = 0;
  for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
    std::string entry = text.substr(at, end + 1 - at);
    int prefix = 0;
    std::sscanf(entry.c_str(), "(%*d) %n", &prefix);
    entry.erase(0, static_cast<size_t>(prefix));
    const size_t colon = entry.find(": ");
    if (colon != std::string::npos && entry.find(" bytes\n") != std::string::npos) {
      const size_t digits = colon + 2;
      *countedBytes += std::stol(entry.substr(digits));
      entry.replace(digits, entry.find(' ', digits) - digits, "#");
    }
    entries.push_back(entry);
  }
  return entries;
}

using WriterLog = WriterTest;

TEST_F(WriterLog, TellsEachStepWithNativePaths) {
  ScratchDirectory work, target;
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof(previous)), nullptr);
  ASSERT_EQ(chdir(work.path().c_str()), 0);
  const std::string own = OwnDirectory(target.path());
  struct Row {
    int seconds;
    const char* directory;
    const char* name;
    std::string file;  // empty: the run fails
    std::vector<std::string> entries;
  };
  const Row rows[] = {
      {1, own.c_str(), "voice.wav", target.path() + "/voice.mp3",
       {"I am gonna create a 1 second long MP3 file\n", "Blank WAV data initialized\n",
        "Amount of encoded data written: # bytes\n", "Remaining MP3 data to write: # bytes\n",
        "File \"voice.mp3\" created in \"" + target.path() + "\"\n",
        "I have added in front of it a Xing header\n"}},
      {2, nullptr, nullptr, work.path() + "/blankfile.mp3",
       {"I am gonna create a 2 second long MP3 file\n", "Blank WAV data initialized\n",
        "Amount of encoded data written: # bytes\n", "Remaining MP3 data to write: # bytes\n",
        "File \"blankfile.mp3\" created in current directory\n",
        "I have added in front of it a Xing header\n"}},
      {-1, nullptr, "voice", "",
       {"I am gonna create a -1 second long MP3 file\n", "Warning box displayed\n"}},
  };
  for (const Row& row : rows) {
    std::remove("process.log");
    EXPECT_EQ(CreateBlankMP3(row.seconds, row.directory, row.name) >= 0, !row.file.empty());
    long countedBytes = 0;
    EXPECT_EQ(LogEntries(&countedBytes), row.entries) << row.seconds;
    // The two counts are the audio; the tag follows it.
    if (!row.file.empty()) {
      EXPECT_EQ(static_cast<size_t>(countedBytes + 128), ReadWholeFile(row.file).size());
    }
  }
  ASSERT_EQ(chdir(previous), 0);
}

}  // namespace
