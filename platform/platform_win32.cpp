// Win32 implementation of the platform layer's pauses, clock, opener and paths.
#include "platform/native_calls.h"
#include "platform/platform.h"

#include <windows.h>
#include <shellapi.h>

void PauseNatively(unsigned int milliseconds) { Sleep(milliseconds); }

// A FILETIME counts 100-nanosecond steps from 1 January 1601, 00:00 UTC.
LocalDateTime ToLocalDateTimeNatively(long long calendarSeconds) {
  constexpr ULONGLONG SECONDS_1601_TO_1970 = 11644473600ULL;
  constexpr ULONGLONG STEPS_PER_SECOND = 10000000ULL;
  ULARGE_INTEGER steps = {};
  steps.QuadPart =
      (static_cast<ULONGLONG>(calendarSeconds) + SECONDS_1601_TO_1970) * STEPS_PER_SECOND;
  const FILETIME reading = {steps.LowPart, steps.HighPart};
  SYSTEMTIME universal = {}, local = {};
  FileTimeToSystemTime(&reading, &universal);
  SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local);
  return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

// The shell starts the default program and returns; its result is not needed.
void OpenNatively(const char* target) {
  ShellExecuteA(nullptr, "open", target, nullptr, nullptr, SW_HIDE);
}

// A write past a limit simply fails here.
void IgnoreFileSizeSignal() {}

bool GetWorkingDirectory(char* buffer, size_t size) {
  if (size == 0) return false;
  const DWORD capacity = size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(size);
  // The result is the length without the terminator, or the size needed when too small.
  const DWORD length = GetCurrentDirectoryA(capacity, buffer);
  if (length == 0 || length >= capacity) {
    buffer[0] = '\0';
    return false;
  }
  return true;
}

// Windows paths are the program's own form already.
std::string NativePath(const char* path) { return path ? path : ""; }

// Both separators are Windows' own; the program writes backslashes.
bool ToProgramPath(const char* native, std::string* own) {
  own->clear();
  for (const char* c = native ? native : ""; *c; ++c) *own += *c == '/' ? '\\' : *c;
  return true;
}

std::string FileNameKey(const std::string& path) {
  std::string key = path;
  if (!key.empty()) CharLowerBuffA(&key[0], static_cast<DWORD>(key.size()));
  return key;
}
