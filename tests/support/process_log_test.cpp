// The process log with the LOG_TO_FILE switch on: layout, entries and failure reports.
#include <gtest/gtest.h>

#include <string>

#include "support/io_tools.h"
#include "support_test_tools.h"

namespace {

// 5 December 2002, 04:16:36: a one-digit day and hour show the zero padding.
const LocalDateTime FIXED_CLOCK = {2002, 12, 5, 4, 16, 36};

const char* const HEADER =
    "Windows Application ----------------------- LOGFILE\n"  // 23 dashes
    "---------------------------------------------------\n"  // 51 dashes
    "\n"
    "Hushmaker - v1.0.0\n"
    "This log was started in December 2002.\n"  // month and year
    "\n";

const char* const CLOSING =
    "\nThank you for using it!\n"
    "\n---------------------------------------------------\n"  // 51 dashes
    "LOGDATE ----------------------- 12/05/2002 04:16:36\n";   // month/day/year time

class ProcessLogTest : public ScratchDirectoryTest {
 protected:
  void SetUp() override {
    ScratchDirectoryTest::SetUp();
    previous_clock_ = ReplaceLocalClock([] { return FIXED_CLOCK; });
  }
  void TearDown() override {
    ReplaceLocalClock(previous_clock_);
    ScratchDirectoryTest::TearDown();
  }

  // Entry numbers and the execution time count seconds, so a test that crosses a
  // second boundary sees 1 where it would see 0; both are accepted.
  static std::string ZeroSeconds(std::string log) {
    ReplaceAll(&log, "(1) ", "(0) ");
    ReplaceAll(&log, "time: 1 second\n", "time: 0 second\n");
    return log;
  }

  static void ReplaceAll(std::string* text, const std::string& from, const std::string& to) {
    for (size_t at = text->find(from); at != std::string::npos;
         at = text->find(from, at + to.size()))
      text->replace(at, from.size(), to);
  }

  LocalClockFunction previous_clock_;
};

TEST_F(ProcessLogTest, StartLogWritesTheHeaderOverAnOldLog) {
  std::ofstream("process.log") << "old run\n";
  StartLog();
  EXPECT_EQ(ReadFile("process.log"), HEADER);
}

TEST_F(ProcessLogTest, HeaderNamesTheMonthOfTheLocalClock) {
  ReplaceLocalClock([] { return LocalDateTime{2031, 5, 1, 0, 0, 0}; });
  StartLog();
  EXPECT_NE(ReadFile("process.log").find("\nThis log was started in May 2031.\n\n"),
            std::string::npos);
}

TEST_F(ProcessLogTest, CloseLogWritesExecutionTimeAndDate) {
  StartLog();
  CloseLog();
  EXPECT_EQ(ZeroSeconds(ReadFile("process.log")),
            std::string(HEADER) + "\nProgram execution time: 0 second\n" + CLOSING);
}

TEST_F(ProcessLogTest, LogDatePadsEveryField) {
  ReplaceLocalClock([] { return LocalDateTime{2002, 7, 3, 9, 5, 7}; });
  StartLog();
  CloseLog();
  const std::string log = ReadFile("process.log");
  EXPECT_EQ(log.substr(log.size() - 52), "LOGDATE ----------------------- 07/03/2002 09:05:07\n");
}

TEST_F(ProcessLogTest, EntriesCarryTheSecondsSinceStartAndRunOn) {
  StartLog();
  WriteLog("Encoding %d seconds", 3);
  WriteLog("%s\n", "done");
  EXPECT_EQ(AppendLogEntry("raw 100%\n"), 0);
  EXPECT_EQ(ZeroSeconds(ReadFile("process.log")),
            std::string(HEADER) + "(0) Encoding 3 seconds(0) done\n(0) raw 100%\n");
}

TEST_F(ProcessLogTest, WithoutStartLogEntriesAppendToTheOldLog) {
  std::ofstream("process.log") << "earlier run\n";
  WriteLog("event\n");
  const std::string log = ReadFile("process.log");
  const std::string prefix = "earlier run\n(";
  const std::string suffix = ") event\n";
  ASSERT_GT(log.size(), prefix.size() + suffix.size()) << log;
  EXPECT_EQ(log.substr(0, prefix.size()), prefix);
  EXPECT_EQ(log.substr(log.size() - suffix.size()), suffix);
  const std::string seconds = log.substr(prefix.size(), log.size() - prefix.size() - suffix.size());
  EXPECT_EQ(seconds.find_first_not_of("0123456789"), std::string::npos) << log;
}

TEST_F(ProcessLogTest, WholeFormattedTextIsLogged) {
  StartLog();
  const std::string long_text(10000, 'w');
  WriteLog("%s\n", long_text.c_str());
  EXPECT_NE(ReadFile("process.log").find(long_text + "\n"), std::string::npos);
}

TEST_F(ProcessLogTest, BoxesLogTheirKindButNotTheMessage) {
  BoxRecorder recorder;
  StartLog();
  ShowMessageBox(BOX_WARNING, "a.cpp", 1, "secret warning");
  ShowMessageBox(BOX_HELP, "a.cpp", 1, "secret help");
  ShowMessageBox(7, "a.cpp", 1, "unknown kind");
  ShowDebugBox("secret debug");
  EXPECT_EQ(recorder.boxes.size(), 3u);
  EXPECT_EQ(ZeroSeconds(ReadFile("process.log")),
            std::string(HEADER) + "(0) Warning box displayed\n(0) Help box displayed\n");
}

TEST_F(ProcessLogTest, ErrorBoxClosesTheLogBeforeEndingTheProcess) {
  StartLog();
  EXPECT_EXIT(
      {
        PrintBoxesToStderr(1);
        ShowMessageBox(BOX_ERROR, "a.cpp", 1, "fatal");
      },
      ::testing::ExitedWithCode(1), "\\[box 1\\]");
  EXPECT_EQ(ZeroSeconds(ReadFile("process.log")),
            std::string(HEADER) + "(0) ************ ERROR ************\n" +
                "\nProgram execution time: 0 second\n" + CLOSING);
}

// process.log is a directory, so every attempt to open it fails. Each case lists the
// boxes in the order they must appear; one box more means a failure report raised
// another, and the process ends with status 7 instead of 1.
struct LogFailureCase {
  const char* name;
  void (*report)();
  int boxes;
  const char* expected_stderr;
};

const LogFailureCase LOG_FAILURE_CASES[] = {
    {"WriteLog", [] { WriteLog("event\n"); }, 1,
     "\\[box 1\\] Called from: \"io_tools.cpp\", line [0-9]+ \\| \\*{12} ERROR \\*{12}\n"
     "Writing error on logfile: \"process.log\"\n$"},
    {"warning box", [] { ShowMessageBox(BOX_WARNING, "a.cpp", 1, "first"); }, 2,
     "\\[box 1\\] [^|]*\\| \\*{11} WARNING \\*{11}\nfirst\n"
     "\\[box 2\\] [^|]*\\| \\*{12} ERROR \\*{12}\nWriting error on logfile: \"process.log\"\n$"},
    {"error box", [] { ShowMessageBox(BOX_ERROR, "a.cpp", 1, "first"); }, 2,
     "\\[box 1\\] [^|]*\\| \\*{12} ERROR \\*{12}\nfirst\n"
     "\\[box 2\\] [^|]*\\| \\*{12} ERROR \\*{12}\nWriting error on logfile: \"process.log\"\n$"},
    {"StartLog", [] { StartLog(); }, 1,
     "\\[box 1\\] [^|]*\\| \\*{12} ERROR \\*{12}\nUnable to open file: \"process.log\"\n$"},
    {"CloseLog", [] { CloseLog(); }, 1,
     "\\[box 1\\] [^|]*\\| \\*{12} ERROR \\*{12}\nUnable to open logfile: \"process.log\"\n$"},
};

TEST_F(ProcessLogTest, UnwritableLogIsReportedOnceAndEndsTheProcess) {
  std::filesystem::create_directory("process.log");
  for (const LogFailureCase& c : LOG_FAILURE_CASES) {
    SCOPED_TRACE(c.name);
    EXPECT_EXIT(
        {
          PrintBoxesToStderr(c.boxes);
          c.report();
        },
        ::testing::ExitedWithCode(1), c.expected_stderr);
  }
}

TEST_F(ProcessLogTest, AppendLogEntryReportsAnUnopenableFileByItsResult) {
  std::filesystem::create_directory("process.log");
  BoxRecorder recorder;
  EXPECT_EQ(AppendLogEntry("x\n"), -1);
  EXPECT_TRUE(recorder.boxes.empty());
}

}  // namespace
