// Shared by io_tools and io_time: reporting a process.log failure without logging again.
#pragma once

// Ends the program with an error box "<format with process.log>" from source and line.
// Until the process has ended nothing is written to the log, so the report of a log
// that cannot be written cannot raise another one.
[[noreturn]] void ReportLogFailure(const char* source, int line, const char* format);
