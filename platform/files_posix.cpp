// POSIX implementation of the platform layer's file operations: a file is written in full
// under another name, then put in its target's place.
#include "platform/native_calls.h"
#include "platform/platform.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

struct Replacement {
  std::string target;   // the file to replace, symbolic links followed
  std::string written;  // the file being written
  int descriptor = -1;  // the handle the written file was created with
  bool targetExists = false;
  struct stat targetInfo = {};
  // The target is written over instead of being replaced by renaming.
  bool inPlace = false;
};

namespace {

constexpr char FILES_SYSTEM_TEMPORARY_FOLDER[] = "/tmp/";
constexpr int FILES_MAX_LINKS_FOLLOWED = 40;
constexpr size_t FILES_COPY_BLOCK = 1 << 20;
constexpr const char* FILES_NOT_REGULAR = "Not a regular file";
constexpr int FILES_CLEANUP_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP, SIGXFSZ};
constexpr size_t FILES_CLEANUP_SIGNAL_COUNT =
    sizeof(FILES_CLEANUP_SIGNALS) / sizeof(FILES_CLEANUP_SIGNALS[0]);

// The file that a signal removes. Filled before the handlers are armed; the handlers
// only read it.
char cleanup_path[PATH_MAX];
volatile sig_atomic_t cleanup_armed = 0;
struct sigaction previous_actions[FILES_CLEANUP_SIGNAL_COUNT];
bool handler_installed[FILES_CLEANUP_SIGNAL_COUNT];

void RemoveWrittenFileAndEnd(int signal_number) {
  const int saved = errno;
  if (cleanup_armed) unlink(cleanup_path);
  errno = saved;
  // The default action is back (SA_RESETHAND); the signal raised again stays pending
  // until this handler returns and then ends the process as it would have at first.
  raise(signal_number);
}

sigset_t CleanupSignalSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal_number : FILES_CLEANUP_SIGNALS) sigaddset(&set, signal_number);
  return set;
}

// Creating or removing the written file and arming or disarming its removal happen with
// the signals held back, so that no signal falls between the two.
sigset_t HoldSignals() {
  const sigset_t set = CleanupSignalSet();
  sigset_t previous;
  sigprocmask(SIG_BLOCK, &set, &previous);
  return previous;
}

void ReleaseSignals(const sigset_t& previous) { sigprocmask(SIG_SETMASK, &previous, nullptr); }

// A signal that the process ignores or handles itself is left as it is.
void ArmCleanup(const std::string& path) {
  std::snprintf(cleanup_path, sizeof(cleanup_path), "%s", path.c_str());
  cleanup_armed = 1;
  struct sigaction action = {};
  action.sa_handler = RemoveWrittenFileAndEnd;
  action.sa_mask = CleanupSignalSet();
  action.sa_flags = SA_RESETHAND;
  for (size_t i = 0; i < FILES_CLEANUP_SIGNAL_COUNT; ++i) {
    handler_installed[i] = false;
    if (sigaction(FILES_CLEANUP_SIGNALS[i], nullptr, &previous_actions[i]) == 0 &&
        !(previous_actions[i].sa_flags & SA_SIGINFO) &&
        previous_actions[i].sa_handler == SIG_DFL) {
      handler_installed[i] = sigaction(FILES_CLEANUP_SIGNALS[i], &action, nullptr) == 0;
    }
  }
}

void DisarmCleanup() {
  cleanup_armed = 0;
  for (size_t i = 0; i < FILES_CLEANUP_SIGNAL_COUNT; ++i) {
    if (handler_installed[i]) sigaction(FILES_CLEANUP_SIGNALS[i], &previous_actions[i], nullptr);
    handler_installed[i] = false;
  }
}

std::string DirectoryPartWithSlash(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The path of the file that path stands for once symbolic links are followed; that file
// need not exist. False, with error set, when the links cannot be followed.
bool FollowLinks(const std::string& path, std::string* followed, int* error) {
  std::string current = path;
  for (int hop = 0; hop <= FILES_MAX_LINKS_FOLLOWED; ++hop) {
    struct stat info;
    if (lstat(current.c_str(), &info) != 0) {
      if (errno != ENOENT) {
        *error = errno;
        return false;
      }
      *followed = current;
      return true;
    }
    if (!S_ISLNK(info.st_mode)) {
      *followed = current;
      return true;
    }
    std::vector<char> link(PATH_MAX);
    const ssize_t length = readlink(current.c_str(), link.data(), link.size());
    if (length < 0 || static_cast<size_t>(length) >= link.size()) {
      *error = length < 0 ? errno : ENAMETOOLONG;
      return false;
    }
    const std::string pointed(link.data(), static_cast<size_t>(length));
    current = pointed[0] == '/' ? pointed : DirectoryPartWithSlash(current) + pointed;
  }
  *error = ELOOP;
  return false;
}

bool IsNameTooLong(const std::string& path) {
  const std::string directory = DirectoryPartWithSlash(path);
  const long longest = pathconf(directory.empty() ? "." : directory.c_str(), _PC_NAME_MAX);
  return longest > 0 && path.size() - directory.size() > static_cast<size_t>(longest);
}

// Creates a new file with a unique name in directory, readable and writable by the user
// alone.
bool CreateExclusively(const std::string& directory, Replacement* replacement, int* error) {
  for (int attempt = 0; attempt < TEMPORARY_NAME_ATTEMPTS; ++attempt) {
    const std::string path = MakeTemporaryName(directory);
    if (path.size() >= sizeof(cleanup_path)) {
      *error = ENAMETOOLONG;
      return false;
    }
    const int descriptor = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (descriptor >= 0) {
      replacement->descriptor = descriptor;
      replacement->written = path;
      return true;
    }
    if (errno != EEXIST) {
      *error = errno;
      return false;
    }
  }
  *error = EEXIST;
  return false;
}

void SetFailure(FileFailure* failure, const std::string& path, const char* reason) {
  if (!failure) return;
  failure->path = path;
  failure->reason = reason;
}

// Ends a replacement whose written file is not wanted: closes and removes it.
void Discard(Replacement* replacement) {
  const sigset_t previous = HoldSignals();
  close(replacement->descriptor);
  unlink(replacement->written.c_str());
  DisarmCleanup();
  ReleaseSignals(previous);
}

mode_t ModeOfNewFile() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// Puts the written file in the target's place in one step.
bool MoveOver(const Replacement& replacement, std::string* failed_path) {
  *failed_path = replacement.written;
  const mode_t mode = replacement.targetExists ? replacement.targetInfo.st_mode & 07777
                                               : ModeOfNewFile();
  if (fsync(replacement.descriptor) != 0 || fchmod(replacement.descriptor, mode) != 0) {
    return false;
  }
  *failed_path = replacement.target;
  return rename(replacement.written.c_str(), replacement.target.c_str()) == 0;
}

bool WriteAll(int descriptor, const char* bytes, size_t count) {
  while (count > 0) {
    const ssize_t done = write(descriptor, bytes, count);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    bytes += done;
    count -= static_cast<size_t>(done);
  }
  return true;
}

// Writes the written file's bytes over the target, as a plain write of the target would.
bool CopyOver(const Replacement& replacement, std::string* failed_path) {
  *failed_path = replacement.target;
  const int target = open(replacement.target.c_str(), O_WRONLY | O_CLOEXEC);
  if (target < 0) return false;
  std::vector<char> block(FILES_COPY_BLOCK);
  off_t at = 0;
  bool copied = true;
  for (;;) {
    const ssize_t got = pread(replacement.descriptor, block.data(), block.size(), at);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) *failed_path = replacement.written;
    if (got <= 0) {
      copied = got == 0;
      break;
    }
    if (!WriteAll(target, block.data(), static_cast<size_t>(got))) {
      copied = false;
      break;
    }
    at += got;
  }
  copied = copied && ftruncate(target, at) == 0 && fsync(target) == 0;
  const int saved = errno;
  const bool closed = close(target) == 0;
  if (!copied) errno = saved;
  return copied && closed;
}

}  // namespace

bool CanHoldNativePath(const char* path) { return path && !std::strchr(path, '\\'); }

Replacement* BeginReplacement(const char* target, FILE** stream, FileFailure* failure) {
  if (stream) *stream = nullptr;
  if (!target || !stream) {
    SetFailure(failure, target ? target : "", std::strerror(EINVAL));
    return nullptr;
  }
  auto replacement = std::make_unique<Replacement>();
  int error = 0;
  if (!FollowLinks(target, &replacement->target, &error)) {
    SetFailure(failure, target, std::strerror(error));
    return nullptr;
  }
  const std::string& final_path = replacement->target;
  struct stat info;
  if (stat(final_path.c_str(), &info) == 0) {
    if (!S_ISREG(info.st_mode)) {
      SetFailure(failure, final_path,
                 S_ISDIR(info.st_mode) ? std::strerror(EISDIR) : FILES_NOT_REGULAR);
      return nullptr;
    }
    // A target this user may not write is refused, however its folder stands.
    if (faccessat(AT_FDCWD, final_path.c_str(), W_OK, AT_EACCESS) != 0) {
      SetFailure(failure, final_path, std::strerror(errno));
      return nullptr;
    }
    replacement->targetExists = true;
    replacement->targetInfo = info;
    // Renaming would part the target from its other names.
    replacement->inPlace = info.st_nlink > 1;
  } else if (errno != ENOENT) {
    SetFailure(failure, final_path, std::strerror(errno));
    return nullptr;
  }
  // Found now, not when the finished file is renamed after the whole encode.
  if (IsNameTooLong(final_path)) {
    SetFailure(failure, final_path, std::strerror(ENAMETOOLONG));
    return nullptr;
  }

  const sigset_t previous = HoldSignals();
  std::string failed_path = final_path;
  bool made = CreateExclusively(DirectoryPartWithSlash(final_path), replacement.get(), &error);
  // A folder where no new file can be made still lets a writable file be written over.
  if (!made && replacement->targetExists && (error == EACCES || error == EPERM)) {
    replacement->inPlace = true;
    failed_path = FILES_SYSTEM_TEMPORARY_FOLDER;
    made = CreateExclusively(FILES_SYSTEM_TEMPORARY_FOLDER, replacement.get(), &error);
  }
  if (made) ArmCleanup(replacement->written);
  ReleaseSignals(previous);
  if (!made) {
    SetFailure(failure, failed_path, std::strerror(error));
    return nullptr;
  }

  struct stat written_info;
  if (replacement->targetExists && !replacement->inPlace &&
      fstat(replacement->descriptor, &written_info) == 0 &&
      (written_info.st_uid != info.st_uid || written_info.st_gid != info.st_gid) &&
      fchown(replacement->descriptor, info.st_uid, info.st_gid) != 0) {
    // Renaming would hand the target to another owner or group.
    replacement->inPlace = true;
  }

  const int stream_descriptor = fcntl(replacement->descriptor, F_DUPFD_CLOEXEC, 0);
  *stream = stream_descriptor >= 0 ? fdopen(stream_descriptor, "w+b") : nullptr;
  if (!*stream) {
    SetFailure(failure, replacement->written, std::strerror(errno));
    if (stream_descriptor >= 0) close(stream_descriptor);
    Discard(replacement.get());
    return nullptr;
  }
  return replacement.release();
}

const char* GetReplacementPath(const Replacement* replacement) {
  return replacement ? replacement->written.c_str() : "";
}

bool FinishReplacement(Replacement* replacement, FileFailure* failure) {
  if (!replacement) return false;
  std::unique_ptr<Replacement> owned(replacement);
  // The signals wait until the target is whole again and the written file is gone.
  const sigset_t previous = HoldSignals();
  std::string failed_path;
  const bool done = replacement->inPlace ? CopyOver(*replacement, &failed_path)
                                         : MoveOver(*replacement, &failed_path);
  const int error = errno;
  close(replacement->descriptor);
  if (!done || replacement->inPlace) unlink(replacement->written.c_str());
  DisarmCleanup();
  ReleaseSignals(previous);
  if (!done) SetFailure(failure, failed_path, std::strerror(error));
  return done;
}

void AbandonReplacement(Replacement* replacement) {
  if (!replacement) return;
  std::unique_ptr<Replacement> owned(replacement);
  Discard(replacement);
}
