// Win32 implementation of the platform layer's pauses, clock, opener and paths.
#include "platform/platform.h"

#include <windows.h>
#include <shellapi.h>

#include <ctime>

namespace {

PauseFunction pause_override;
OpenerFunction opener_override;
LocalClockFunction clock_override;
CalendarClockFunction calendar_override;

LocalDateTime ReadLocalClock() {
  SYSTEMTIME now = {};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

template <typename Function>
Function Swap(Function& slot, Function replacement) {
  Function previous = slot;
  slot = std::move(replacement);
  return previous;
}

}  // namespace

void PauseMilliseconds(unsigned int milliseconds) {
  if (pause_override) {
    pause_override(milliseconds);
    return;
  }
  Sleep(milliseconds);
}

LocalDateTime GetLocalDateTime() {
  return clock_override ? clock_override() : ReadLocalClock();
}

long long GetCalendarSeconds() {
  return calendar_override ? calendar_override() : static_cast<long long>(time(nullptr));
}

void OpenWithDefaultProgram(const char* target) {
  if (opener_override) {
    opener_override(target);
    return;
  }
  // The shell starts the default program and returns; its result is not needed.
  ShellExecuteA(nullptr, "open", target, nullptr, nullptr, SW_HIDE);
}

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

PauseFunction ReplacePause(PauseFunction pause) { return Swap(pause_override, pause); }

OpenerFunction ReplaceOpener(OpenerFunction opener) { return Swap(opener_override, opener); }

LocalClockFunction ReplaceLocalClock(LocalClockFunction clock) {
  return Swap(clock_override, clock);
}

CalendarClockFunction ReplaceCalendarClock(CalendarClockFunction clock) {
  return Swap(calendar_override, clock);
}
