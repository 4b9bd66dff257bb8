// The execution-time line of process.log.
#include "support/io_time.h"

#include <gtest/gtest.h>

#include <string>

#include "support_test_tools.h"

namespace {

class LogExecutionTimeTest : public ScratchDirectoryTest {};

TEST_F(LogExecutionTimeTest, WritesWholeUnitsAndTheRemainder) {
  const struct {
    double seconds;
    const char* shown;
  } cases[] = {
      {0, "0 second"},
      {1, "1 second"},
      {2, "2 seconds"},
      {59, "59 seconds"},
      {60, "1 minute"},
      {61, "1 minute 1 second"},
      {64, "1 minute 4 seconds"},
      {119, "1 minute 59 seconds"},
      {120, "2 minutes"},
      {150, "2 minutes 30 seconds"},
      {3599, "59 minutes 59 seconds"},
      {3600, "1 hour"},
      {3659, "1 hour"},
      {3660, "1 hour 1 minute"},
      {5400, "1 hour 30 minutes"},
      {7199, "1 hour 59 minutes"},
      {7200, "2 hours"},
      {86400, "24 hours"},
  };
  for (const auto& c : cases) {
    std::filesystem::remove("process.log");
    LogExecutionTime(c.seconds);
    EXPECT_EQ(ReadFile("process.log"), "\nProgram execution time: " + std::string(c.shown) + "\n")
        << c.seconds << " s";
  }
}

TEST_F(LogExecutionTimeTest, AppendsToWhatTheLogHolds) {
  std::ofstream("process.log") << "(0) before\n";
  LogExecutionTime(125);
  EXPECT_EQ(ReadFile("process.log"), "(0) before\n\nProgram execution time: 2 minutes 5 seconds\n");
}

TEST_F(LogExecutionTimeTest, UnwritableLogEndsTheProgramWithOneBox) {
  std::filesystem::create_directory("process.log");
  EXPECT_EXIT(
      {
        PrintBoxesToStderr(1);
        LogExecutionTime(5);
      },
      ::testing::ExitedWithCode(1),
      "\\[box 1\\] Called from: \"io_time.cpp\", line [0-9]+ \\| "
      "\\*{12} ERROR \\*{12}\nUnable to open logfile: \"process.log\"\n$");
}

}  // namespace
