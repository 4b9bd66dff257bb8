// The process log: opening and appending to process.log, its header, entries, execution
// time and closing lines, and the report of a log that cannot be written.
#include "support/process_log.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/platform.h"
#include "support/message_box.h"

#ifndef LOG_TO_FILE
#define LOG_TO_FILE 0
#endif

namespace {

constexpr bool LOG_ENABLED = LOG_TO_FILE != 0;
constexpr const char* LOG_FILE_NAME = "process.log";

const char* const LOG_HEADER =
    "Windows Application ----------------------- LOGFILE\n"
    "---------------------------------------------------\n\n"
    "Hushmaker - v1.0.0\n";
const char* const LOG_NOTICE = "This log was started in %s %d.\n\n";
const char* const LOG_CLOSING =
    "\nThank you for using it!\n"
    "\n---------------------------------------------------\n";
const char* const LOG_DATE = "LOGDATE ----------------------- %.2u/%.2u/%.2u %.2u:%.2u:%.2u\n";
const char* const LOG_TIME_ONE_UNIT = "\nProgram execution time: %.0lf %s\n";
const char* const LOG_TIME_TWO_UNITS = "\nProgram execution time: %.0lf %s %.0lf %s\n";

const char* const MONTH_NAMES[] = {"January",   "February", "March",    "April",
                                   "May",       "June",     "July",     "August",
                                   "September", "October",  "November", "December"};

constexpr double TIME_MINUTE = 60.0;
constexpr double TIME_HOUR = 3600.0;

// A minor value this close below a whole number counts as that number, and one below
// the first threshold is not shown at all.
constexpr double TIME_MINOR_SHOWN = 0.99;
constexpr double TIME_MINOR_ROUNDING = 0.01;
constexpr double TIME_MINOR_SINGULAR = 1.99;

int g_start_time = 0;
int g_end_time = 0;

// Set while a log failure is being reported: the error box of that report must neither
// log its own text nor write closing lines, or it would fail and report again.
bool g_reporting_log_failure = false;

// Ends the program with an error box "<format with process.log>" from this file's line.
[[noreturn]] void ReportLogFailure(int line, const char* format) {
  g_reporting_log_failure = true;
  ShowMessageBox(BOX_ERROR, __FILE__, line, format, LOG_FILE_NAME);
  exit(1);  // not reached: the error box ends the process
}

FILE* OpenLog(const char* mode) { return fopen(LOG_FILE_NAME, mode); }

FILE* OpenLogForAppend() {
  FILE* log = OpenLog("a");
  if (log == nullptr) ReportLogFailure(__LINE__, "Unable to open logfile: \"%s\"");
  return log;
}

void CloseLogFile(FILE* log) {
  if (fclose(log) != 0) ReportLogFailure(__LINE__, "Unable to close logfile: \"%s\"");
}

void WriteOneUnit(double value, const char* word) {
  FILE* log = OpenLogForAppend();
  fprintf(log, LOG_TIME_ONE_UNIT, value, word);
  CloseLogFile(log);
}

void WriteTwoUnits(double major, const char* majorWord, double minor, const char* minorWord) {
  FILE* log = OpenLogForAppend();
  fprintf(log, LOG_TIME_TWO_UNITS, major, majorWord, minor, minorWord);
  CloseLogFile(log);
}

}  // namespace

void WriteLog(const char* format, ...) {
  if (!LOG_ENABLED || g_reporting_log_failure) return;
  va_list arguments;
  va_start(arguments, format);
  va_list measuring;
  va_copy(measuring, arguments);
  int length = vsnprintf(nullptr, 0, format, measuring);
  va_end(measuring);
  if (length < 0) length = 0;
  std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
  vsnprintf(text.data(), text.size(), format, arguments);
  va_end(arguments);
  if (AppendLogEntry(text.data()) == -1) {
    ReportLogFailure(__LINE__, "Writing error on logfile: \"%s\"");
  }
}

int AppendLogEntry(const char* text) {
  FILE* log = OpenLog("a");
  if (log == nullptr) return -1;
  fprintf(log, "(%d) %s", GetTimeNow() - g_start_time, text);
  fclose(log);  // a failed close is not the caller's concern
  return 0;
}

void StartLog() {
  FILE* log = OpenLog("w");
  if (log == nullptr) ReportLogFailure(__LINE__, "Unable to open file: \"%s\"");
  LocalDateTime now = GetLocalDateTime();
  fputs(LOG_HEADER, log);
  fprintf(log, LOG_NOTICE, MonthName(static_cast<unsigned short>(now.month)), now.year);
  if (fclose(log) != 0) ReportLogFailure(__LINE__, "Unable to close file: \"%s\"");
  g_start_time = GetTimeNow();
}

void CloseLog() {
  g_end_time = GetTimeNow();
  CloseLogFile(OpenLogForAppend());
  LogExecutionTime(static_cast<double>(g_end_time - g_start_time));

  FILE* log = OpenLogForAppend();
  LocalDateTime now = GetLocalDateTime();
  fputs(LOG_CLOSING, log);
  fprintf(log, LOG_DATE, static_cast<unsigned>(now.month), static_cast<unsigned>(now.day),
          static_cast<unsigned>(now.year), static_cast<unsigned>(now.hour),
          static_cast<unsigned>(now.minute), static_cast<unsigned>(now.second));
  CloseLogFile(log);
}

void LogExecutionTime(double seconds) {
  if (seconds == TIME_MINUTE) return WriteOneUnit(1, "minute");
  if (seconds == TIME_HOUR) return WriteOneUnit(1, "hour");
  if (seconds < TIME_MINUTE) return WriteOneUnit(seconds, seconds < 2 ? "second" : "seconds");

  double major;
  const char* majorWord;
  const char* minorSingular;
  const char* minorPlural;
  if (seconds < TIME_HOUR) {
    major = seconds / TIME_MINUTE;
    majorWord = major < 2 ? "minute" : "minutes";
    minorSingular = "second";
    minorPlural = "seconds";
  } else {
    major = seconds / TIME_HOUR;
    majorWord = major < 2 ? "hour" : "hours";
    minorSingular = "minute";
    minorPlural = "minutes";
  }

  double whole;
  double fraction = modf(major, &whole);
  if (fraction == 0) return WriteOneUnit(major, majorWord);
  double minor = fraction * 30.0 / 0.5;
  if (minor < TIME_MINOR_SHOWN) return WriteOneUnit(major, majorWord);
  WriteTwoUnits(whole, majorWord, floor(minor + TIME_MINOR_ROUNDING),
                minor <= TIME_MINOR_SINGULAR ? minorSingular : minorPlural);
}

void CloseLogForErrorExit() {
  if (LOG_ENABLED && !g_reporting_log_failure) CloseLog();
}

const char* MonthName(unsigned short month) {
  if (month < 1 || month > 12) return "[Unknown month]";
  return MONTH_NAMES[month - 1];
}

int GetTimeNow() { return static_cast<int>(GetCalendarSeconds()); }
