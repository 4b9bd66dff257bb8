// Calendar time in seconds and the execution-time line of the process log.
#pragma once

#include <functional>

// Seconds since 1 January 1970, 00:00 UTC.
int GetTimeNow();

// Test seam: the shipped program never calls it. Replaces the clock that GetTimeNow
// reads and returns the one it replaced; an empty function restores the real clock.
using TimeNowFunction = std::function<int()>;
TimeNowFunction ReplaceTimeNow(TimeNowFunction clock);

// Appends "Program execution time: ..." for a duration in seconds to process.log.
void LogExecutionTime(double seconds);
