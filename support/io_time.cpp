// Calendar time and the execution-time line of process.log.
#include "support/io_time.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <utility>

#include "support/io_log_failure.h"

namespace {

const char* const TIME_ONE_UNIT = "\nProgram execution time: %.0lf %s\n";
const char* const TIME_TWO_UNITS = "\nProgram execution time: %.0lf %s %.0lf %s\n";

TimeNowFunction clock_override;

constexpr double TIME_MINUTE = 60.0;
constexpr double TIME_HOUR = 3600.0;

// A minor value this close below a whole number counts as that number, and one below
// the first threshold is not shown at all.
constexpr double TIME_MINOR_SHOWN = 0.99;
constexpr double TIME_MINOR_ROUNDING = 0.01;
constexpr double TIME_MINOR_SINGULAR = 1.99;

FILE* OpenLogForAppend() {
  FILE* log = fopen("process.log", "a");
  if (log == nullptr) ReportLogFailure(__FILE__, __LINE__, "Unable to open logfile: \"%s\"");
  return log;
}

void CloseLogFile(FILE* log) {
  if (fclose(log) != 0) ReportLogFailure(__FILE__, __LINE__, "Unable to close logfile: \"%s\"");
}

void WriteOneUnit(double value, const char* word) {
  FILE* log = OpenLogForAppend();
  fprintf(log, TIME_ONE_UNIT, value, word);
  CloseLogFile(log);
}

void WriteTwoUnits(double major, const char* major_word, double minor, const char* minor_word) {
  FILE* log = OpenLogForAppend();
  fprintf(log, TIME_TWO_UNITS, major, major_word, minor, minor_word);
  CloseLogFile(log);
}

}  // namespace

int GetTimeNow() { return clock_override ? clock_override() : static_cast<int>(time(nullptr)); }

TimeNowFunction ReplaceTimeNow(TimeNowFunction clock) {
  TimeNowFunction previous = std::move(clock_override);
  clock_override = std::move(clock);
  return previous;
}

void LogExecutionTime(double seconds) {
  if (seconds == TIME_MINUTE) return WriteOneUnit(1, "minute");
  if (seconds == TIME_HOUR) return WriteOneUnit(1, "hour");
  if (seconds < TIME_MINUTE) return WriteOneUnit(seconds, seconds < 2 ? "second" : "seconds");

  double major;
  const char* major_word;
  const char* minor_singular;
  const char* minor_plural;
  if (seconds < TIME_HOUR) {
    major = seconds / TIME_MINUTE;
    major_word = major < 2 ? "minute" : "minutes";
    minor_singular = "second";
    minor_plural = "seconds";
  } else {
    major = seconds / TIME_HOUR;
    major_word = major < 2 ? "hour" : "hours";
    minor_singular = "minute";
    minor_plural = "minutes";
  }

  double whole;
  double fraction = modf(major, &whole);
  if (fraction == 0) return WriteOneUnit(major, major_word);
  double minor = fraction * 30.0 / 0.5;
  if (minor < TIME_MINOR_SHOWN) return WriteOneUnit(major, major_word);
  WriteTwoUnits(whole, major_word, floor(minor + TIME_MINOR_ROUNDING),
                minor <= TIME_MINOR_SINGULAR ? minor_singular : minor_plural);
}
