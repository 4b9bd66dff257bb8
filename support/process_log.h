// The process log, process.log in the working directory: header, numbered entries,
// execution time and closing lines, and the calendar time they count in.
#pragma once

// WriteLog writes only when the build switch LOG_TO_FILE is on; the other routines write
// whenever they are called. Every call opens process.log and closes it again. A failure
// to open or close it ends the program with an error box; while such a failure is being
// reported nothing more is logged, so a log that cannot be written does not report itself
// again.
void WriteLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
int AppendLogEntry(const char* text);  // 0 when written, -1 when the file cannot be opened
void StartLog();  // the shipped programs never call it: entries count from 1970
void CloseLog();

// Appends "Program execution time: ..." for a duration in seconds.
void LogExecutionTime(double seconds);

// For an error report that is about to end the process: writes the closing lines when
// file logging is on, and nothing while the log's own failure is being reported.
void CloseLogForErrorExit();

// English month name for 1..12, "[Unknown month]" otherwise.
const char* MonthName(unsigned short month);

// Seconds since 1 January 1970, 00:00 UTC: the platform's calendar clock, which also
// gives the log's local dates (tests replace it with ReplaceCalendarClock).
int GetTimeNow();
