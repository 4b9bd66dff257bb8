// POSIX implementation of the platform layer's pauses, clock, opener and paths.
#include "platform/native_calls.h"
#include "platform/platform.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>

void PauseNatively(unsigned int milliseconds) {
  timespec remaining = {static_cast<time_t>(milliseconds / 1000),
                        static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&remaining, &remaining) == -1 && errno == EINTR) {
  }
}

LocalDateTime ToLocalDateTimeNatively(long long calendarSeconds) {
  const time_t reading = static_cast<time_t>(calendarSeconds);
  tm local = {};
  localtime_r(&reading, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

// The launcher is detached twice so that it is never waited for and never left as a
// zombie; its output goes nowhere.
void OpenNatively(const char* target) {
  pid_t child = fork();
  if (child < 0) return;
  if (child == 0) {
    setsid();
    if (fork() != 0) _exit(0);
    int nullDevice = open("/dev/null", O_RDWR);
    if (nullDevice >= 0) {
      dup2(nullDevice, STDIN_FILENO);
      dup2(nullDevice, STDOUT_FILENO);
      dup2(nullDevice, STDERR_FILENO);
    }
    execlp("xdg-open", "xdg-open", target, static_cast<char*>(nullptr));
    _exit(127);
  }
  while (waitpid(child, nullptr, 0) == -1 && errno == EINTR) {
  }
}

void IgnoreFileSizeSignal() { signal(SIGXFSZ, SIG_IGN); }

bool GetWorkingDirectory(char* buffer, size_t size) {
  if (size == 0) return false;
  if (getcwd(buffer, size) == nullptr) {
    buffer[0] = '\0';
    return false;
  }
  return true;
}

std::string NativePath(const char* path) {
  std::string native = path ? path : "";
  for (char& c : native) {
    if (c == '\\') c = '/';
  }
  return native;
}

bool ToProgramPath(const char* native, std::string* own) {
  own->clear();
  if (!CanHoldNativePath(native)) return false;
  for (const char* c = native; *c; ++c) *own += *c == '/' ? '\\' : *c;
  return true;
}

std::string FileNameKey(const std::string& path) { return path; }

NameClash CheckSystemName(const std::string&) { return NameClash::Allowed; }

bool FitsSystemPathLimit(const char* target, std::string* fullPath, size_t* limit) {
  if (GetLongestWrittenPathLength(target, "/") < PATH_MAX) return true;
  *fullPath = target;
  *limit = PATH_MAX - 1;
  return false;
}

bool IsFolder(const char* path) {
  struct stat information;
  return stat(path, &information) == 0 && S_ISDIR(information.st_mode);
}

bool PathExists(const char* path) {
  struct stat information;
  return stat(path, &information) == 0;
}

void PrepareConsoleOutput() {}

std::vector<std::string> ReadProgramArguments(int argc, char** argv) {
  return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}
