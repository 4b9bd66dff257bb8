// The system's own implementations behind the platform calls that tests may replace; each
// half of the platform layer provides them. Used only inside platform/.
#pragma once

#include "platform/platform.h"

void PauseNatively(unsigned int milliseconds);
// The local date and time of a reading of the calendar clock.
LocalDateTime ToLocalDateTimeNatively(long long calendarSeconds);
// Opens target with the user's default program; returns at once.
void OpenNatively(const char* target);

// How many names a replacement tries before it gives up on finding a free one.
constexpr int TEMPORARY_NAME_ATTEMPTS = 100;

// A fresh random name for the hidden file a replacement writes in directory (which ends
// in its separator or is empty): ".hushmaker-" and eight letters or digits, then ".tmp",
// so that no "*.mp3" pattern ever matches a leftover.
std::string MakeTemporaryName(const std::string& directory);
// The length of the name MakeTemporaryName adds to the directory.
constexpr size_t TEMPORARY_NAME_LENGTH = 23;

// The longer of path and of the temporary file's path beside it; separators is the
// system's set.
size_t GetLongestWrittenPathLength(const std::string& path, const char* separators);
