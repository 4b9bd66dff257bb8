// Win32 implementation of the platform layer's pauses, clock, opener and paths.
#include "platform/native_calls.h"
#include "platform/platform.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The console's code page before the program set UTF-8, given back when it ends.
UINT original_output_code_page = 0;

void RestoreConsoleOutput() { SetConsoleOutputCP(original_output_code_page); }

std::wstring Widen(const std::string& text) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0);
  std::wstring wide(length > 0 ? length : 0, L'\0');
  if (length > 0) {
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
  }
  return wide;
}

std::string Narrow(const std::wstring& wide) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string text(length > 0 ? length : 0, '\0');
  if (length > 0) {
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &text[0], length,
                        nullptr, nullptr);
  }
  return text;
}

}  // namespace

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

// Lower case beyond ASCII too: "GRÜSSE" and "grüsse" are one file.
std::string FileNameKey(const std::string& path) {
  std::wstring key = Widen(path);
  if (key.empty()) return path;
  CharLowerBuffW(&key[0], static_cast<DWORD>(key.size()));
  return Narrow(key);
}

NameClash CheckSystemName(const std::string& name) { return CheckWindowsName(name); }

namespace {

// The full path the system makes of target; where its call cannot take the path, target
// joined to the working folder.
std::string ResolveFullPath(const char* target) {
  std::vector<char> full(MAX_PATH * 4);
  const DWORD length =
      GetFullPathNameA(target, static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length > 0 && length < full.size()) return std::string(full.data(), length);
  std::string resolved;
  char folder[MAX_PATH] = "";
  const bool relative =
      target[0] != '\0' && target[0] != '\\' && target[0] != '/' && target[1] != ':';
  if (relative && GetWorkingDirectory(folder, sizeof folder)) {
    resolved = folder + std::string("\\");
    if (target[0] == '.' && (target[1] == '\\' || target[1] == '/')) target += 2;
  }
  return resolved + target;
}

}  // namespace

// The system resolves a relative path against the working folder before it checks the
// length.
bool FitsSystemPathLimit(const char* target, std::string* fullPath, size_t* limit) {
  const std::string resolved = ResolveFullPath(target);
  if (GetLongestWrittenPathLength(resolved, "\\/") < MAX_PATH) return true;
  *fullPath = resolved;
  *limit = MAX_PATH - 1;
  return false;
}

bool IsFolder(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool PathExists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

void PrepareConsoleOutput() {
  const UINT current = GetConsoleOutputCP();
  // No console (output to a file or pipe), or UTF-8 already.
  if (current == 0 || current == CP_UTF8) return;
  if (!SetConsoleOutputCP(CP_UTF8)) return;
  original_output_code_page = current;
  std::atexit(RestoreConsoleOutput);
}

// The "A" arguments of the C library follow the code page the program runs in; the
// Unicode command line holds every name whole.
std::vector<std::string> ReadProgramArguments(int, char**) {
  std::vector<std::string> arguments;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(Narrow(wide[i]));
  LocalFree(wide);
  return arguments;
}
