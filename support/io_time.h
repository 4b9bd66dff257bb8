// Calendar time in seconds and the execution-time line of the process log.
#pragma once

// Seconds since 1 January 1970, 00:00 UTC.
int GetTimeNow();

// Appends "Program execution time: ..." for a duration in seconds to process.log.
void LogExecutionTime(double seconds);
