// The writer's log lines, in a build of the writer and the log with file logging on.
#include <gtest/gtest.h>
#include <unistd.h>

#include <regex>
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
  const std::regex prefix(R"(^\(\d+\) )");
  std::vector<std::string> entries;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    end = end == std::string::npos ? text.size() : end + 1;
    const std::string line = text.substr(at, end - at);
    if (std::regex_search(line, prefix)) entries.push_back(std::regex_replace(line, prefix, ""));
    at = end;
  }
  return entries;
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
    std::smatch encoded, remaining;
    ASSERT_TRUE(std::regex_match(entries[2], encoded,
                                 std::regex("Amount of encoded data written: (\\d+) bytes\n")))
        << entries[2];
    ASSERT_TRUE(std::regex_match(entries[3], remaining,
                                 std::regex("Remaining MP3 data to write: (\\d+) bytes\n")))
        << entries[3];
    EXPECT_EQ(entries[4], row.createdLine) << row.what;
    EXPECT_EQ(entries[5], "I have added in front of it a Xing header\n") << row.what;
    // The two counts are the audio; the tag follows it.
    EXPECT_EQ(std::stoul(encoded[1]) + std::stoul(remaining[1]) + 128,
              ReadWholeFile(row.file).size())
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
