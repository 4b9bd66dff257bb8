// The process log with the LOG_TO_FILE switch on: layout, entries and failure reports.
#include "support/io_time.h"
#include "support/io_tools.h"
#include "tests/test_support.h"

namespace {

const std::string HEADER = "Windows Application ----------------------- LOGFILE\n"  // 23 dashes
                           "---------------------------------------------------\n"  // 51 dashes
                           "\nHushmaker - v1.0.0\nThis log was started in July 2002.\n\n";

class ProcessLogTest : public ScratchDirectoryTest {
  void SetUp() override {
    ScratchDirectoryTest::SetUp();
    // 3 July 2002, 09:05:07: every field of the LOGDATE line shows its zero padding.
    ReplaceLocalClock([] { return LocalDateTime{2002, 7, 3, 9, 5, 7}; });
    RecordBoxes();
  }
};

// Entries and the execution time count seconds, so a test that crosses a second
// boundary sees 1 where it would see 0; both are accepted.
std::string ReadLogAtZeroSeconds() {
  std::string log = ReadFile("process.log");
  for (const char* one : {"(1) ", "time: 1 second"})
    for (size_t at; (at = log.find(one)) != std::string::npos;) log[log.find('1', at)] = '0';
  return log;
}

TEST_F(ProcessLogTest, HoldsHeaderEntriesAndTheClosingLinesOfAnErrorExit) {
  const std::string long_text(10000, 'w');
  std::ofstream("process.log") << "old run\n";
  StartLog();
  WriteLog("Encoding %d seconds", 3);  // no line end: runs on into the next entry
  WriteLog("%s\n", long_text.c_str());
  EXPECT_EQ(AppendLogEntry("raw 100%\n"), 0);
  ShowMessageBox(BOX_WARNING, "a.cpp", 1, "secret warning");  // boxes log only their kind
  ShowMessageBox(BOX_HELP, "a.cpp", 1, "secret help");
  ShowDebugBox("secret debug");
  EXPECT_EXIT(ShowMessageBox(BOX_ERROR, "a.cpp", 1, "fatal"), testing::ExitedWithCode(1), "fatal\n$");
  EXPECT_EQ(ReadLogAtZeroSeconds(),
            HEADER + "(0) Encoding 3 seconds(0) " + long_text + "\n(0) raw 100%\n" +
                "(0) Warning box displayed\n(0) Help box displayed\n"
                "(0) ************ ERROR ************\n"
                "\nProgram execution time: 0 second\n\nThank you for using it!\n\n"
                "---------------------------------------------------\n"  // 51 dashes
                "LOGDATE ----------------------- 07/03/2002 09:05:07\n");
}

// process.log is a directory, so every attempt to open it fails. A report of that
// failure must not raise another: one box more than listed ends the process with 7.
// The patterns keep to what GoogleTest's own matcher on Windows understands.
#define ERROR_BOX(n, source, text) \
  "\\[box " #n ", icon 1\\] Called from: \"" source "\", line .+ \\| \\*+ ERROR \\*+\n" text "\n"
#define WRITING_ERROR(n) ERROR_BOX(n, "io_tools.cpp", "Writing error on logfile: \"process.log\"") "$"

TEST_F(ProcessLogTest, UnwritableLogIsReportedOnceAndEndsTheProcess) {
  std::filesystem::create_directory("process.log");
  const struct { void (*report)(); int boxes; const char* expected_stderr; } cases[] = {
      {[] { WriteLog("event\n"); }, 1, WRITING_ERROR(1)},
      {[] { ShowMessageBox(BOX_WARNING, "a.cpp", 1, "first"); }, 2,
       "\\[box 1, icon 0\\] .*\\| \\*+ WARNING \\*+\nfirst\n" WRITING_ERROR(2)},
      {[] { ShowMessageBox(BOX_ERROR, "a.cpp", 1, "first"); }, 2,
       ERROR_BOX(1, "a.cpp", "first") WRITING_ERROR(2)},
      {StartLog, 1, ERROR_BOX(1, "io_tools.cpp", "Unable to open file: \"process.log\"") "$"},
      {[] { LogExecutionTime(5); }, 1,
       ERROR_BOX(1, "io_time.cpp", "Unable to open logfile: \"process.log\"") "$"},
  };
  for (const auto& c : cases)
    EXPECT_EXIT((RecordBoxes(c.boxes), c.report()), testing::ExitedWithCode(1), c.expected_stderr);
  EXPECT_EQ(AppendLogEntry("x\n"), -1) << "reported by its result alone";
  EXPECT_EQ(g_shown_boxes, "");
}

TEST_F(ProcessLogTest, LogExecutionTimeWritesWholeUnitsAndTheRemainder) {
  const std::pair<double, const char*> cases[] = {
      {0, "0 second"}, {1, "1 second"}, {2, "2 seconds"}, {59, "59 seconds"}, {60, "1 minute"},
      {61, "1 minute 1 second"}, {64, "1 minute 4 seconds"}, {119, "1 minute 59 seconds"},
      {120, "2 minutes"}, {150, "2 minutes 30 seconds"}, {3599, "59 minutes 59 seconds"},
      {3600, "1 hour"}, {3659, "1 hour"}, {3660, "1 hour 1 minute"}, {5400, "1 hour 30 minutes"},
      {7199, "1 hour 59 minutes"}, {7200, "2 hours"}, {86400, "24 hours"},
  };
  for (const auto& [seconds, shown] : cases) {
    std::filesystem::remove("process.log");
    LogExecutionTime(seconds);
    EXPECT_EQ(ReadFile("process.log"), "\nProgram execution time: " + std::string(shown) + "\n");
  }
}

TEST(MonthName, NamesTheMonthsOneToTwelve) {
  const std::pair<unsigned short, const char*> cases[] = {
      {0, "[Unknown month]"}, {5, "May"}, {12, "December"}, {13, "[Unknown month]"}};
  for (const auto& [month, name] : cases) EXPECT_STREQ(MonthName(month), name) << month;
}

}  // namespace
