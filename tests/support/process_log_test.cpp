// The process log with the LOG_TO_FILE switch on: layout, entries and failure reports.
#include <ctime>
#include <iomanip>
#include <sstream>

#include "support/message_box.h"
#include "support/process_log.h"
#include "tests/test_support.h"

namespace {

const std::string HEADER = "Windows Application ----------------------- LOGFILE\n"  // 23 dashes
                           "---------------------------------------------------\n"  // 51 dashes
                           "\nHushmaker - v1.0.0\nThis log was started in July 2002.\n\n";

using ProcessLogTest = ScratchDirectoryTest;

TEST_F(ProcessLogTest, HoldsHeaderEntriesAndTheClosingLinesOfAnErrorExit) {
  std::tm local = {};
  std::istringstream("2002-07-03 09:03:02") >> std::get_time(&local, "%Y-%m-%d %H:%M:%S");
  local.tm_isdst = -1;
  long long clock = std::mktime(&local);  // the calendar clock at that local time
  ReplaceCalendarClock([&clock] { return clock; });
  RecordBoxes();
  const std::string longText(10000, 'w');
  std::ofstream("process.log") << "old run\n";
  StartLog();
  WriteLog("Encoding %d seconds", 3);  // no line end: runs on into the next entry
  clock += 4;
  WriteLog("%s\n", longText.c_str());
  EXPECT_EQ(AppendLogEntry("raw 100%\n"), 0);
  ShowMessageBox(BOX_WARNING, "a.cpp", 1, "secret warning");  // boxes log only their kind
  ShowMessageBox(BOX_HELP, "a.cpp", 1, "secret help");
  ShowDebugBox("secret debug");
  // 125 s after the start, at 09:05:07: every field of the LOGDATE line shows its zero
  // padding, and the execution time both of its units.
  clock += 121;
  EXPECT_EXIT(ShowMessageBox(BOX_ERROR, "a.cpp", 1, "fatal"), testing::ExitedWithCode(1), "fatal\n$");
  EXPECT_EQ(ReadFile("process.log"),
            HEADER + "(0) Encoding 3 seconds(4) " + longText + "\n(4) raw 100%\n" +
                "(4) Warning box displayed\n(4) Help box displayed\n"
                "(125) ************ ERROR ************\n"
                "\nProgram execution time: 2 minutes 5 seconds\n\nThank you for using it!\n\n"
                "---------------------------------------------------\n"  // 51 dashes
                "LOGDATE ----------------------- 07/03/2002 09:05:07\n");
  ReplaceCalendarClock(nullptr);
}

// process.log is a directory, so every attempt to open it fails. A report of that
// failure must not raise another: one box more than listed ends the process with 7.
// The patterns keep to what GoogleTest's own matcher on Windows understands.
#define ERROR_BOX(n, source, text) \
  "\\[box " #n ", icon 1\\] Called from: \"" source "\", line .+ \\| \\*+ ERROR \\*+\n" text "\n"
#define WRITING_ERROR(n) ERROR_BOX(n, "process_log.cpp", "Writing error on logfile: \"process.log\"") "$"

TEST_F(ProcessLogTest, UnwritableLogIsReportedOnceAndEndsTheProcess) {
  std::filesystem::create_directory("process.log");
  RecordBoxes();
  const struct { void (*report)(); int boxes; const char* expected_stderr; } cases[] = {
      {[] { WriteLog("event\n"); }, 1, WRITING_ERROR(1)},
      {[] { ShowMessageBox(BOX_ERROR, "a.cpp", 1, "first"); }, 2,
       ERROR_BOX(1, "a.cpp", "first") WRITING_ERROR(2)},
      {StartLog, 1, ERROR_BOX(1, "process_log.cpp", "Unable to open file: \"process.log\"") "$"},
      {[] { LogExecutionTime(5); }, 1,
       ERROR_BOX(1, "process_log.cpp", "Unable to open logfile: \"process.log\"") "$"},
  };
  for (const auto& c : cases)
    EXPECT_EXIT((RecordBoxes(c.boxes), c.report()), testing::ExitedWithCode(1), c.expected_stderr);
  EXPECT_EQ(AppendLogEntry("x\n"), -1) << "reported by its result alone";
  EXPECT_EQ(g_shown_boxes, "");
}

TEST_F(ProcessLogTest, LogExecutionTimeWritesWholeUnitsAndTheRemainder) {
  const std::pair<double, const char*> cases[] = {
      {0, "0 second"}, {1, "1 second"}, {2, "2 seconds"}, {60, "1 minute"},
      {61, "1 minute 1 second"}, {119, "1 minute 59 seconds"}, {120, "2 minutes"}, {3600, "1 hour"},
      {3659, "1 hour"}, {3660, "1 hour 1 minute"}, {7199, "1 hour 59 minutes"}, {7200, "2 hours"},
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
