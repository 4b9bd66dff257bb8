// POSIX implementation of the platform layer's file operations: a file is written in full
// under another name, or under none, then put in its target's place.
#include "platform/native_calls.h"
#include "platform/platform.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
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
  std::string target;      // the file to replace, symbolic links followed
  std::string targetName;  // its last part, inside folder
  int folder = -1;         // the target's folder, held so that a moved folder changes nothing
  // The file being written: unnamed until it is linked in, or a hidden name in
  // writtenFolder (the target's folder, or the system's temporary folder for an in-place
  // write), which a signal removes.
  int descriptor = -1;
  int writtenFolder = -1;
  std::string writtenName;  // empty while the file has no name
  std::string writtenFolderPath;  // writtenFolder's path, ending in '/' or empty
  std::string reopenPath;  // a path that reaches the written file for as long as it is open
  bool targetExists = false;
  struct stat targetInfo = {};
  // The target is written over instead of being replaced by renaming.
  bool inPlace = false;
};

namespace {

constexpr char FILES_SYSTEM_TEMPORARY_FOLDER[] = "/tmp";
constexpr char FILES_DESCRIPTOR_PATH_FORMAT[] = "/proc/self/fd/%d";
constexpr size_t FILES_DESCRIPTOR_PATH_SIZE = 32;
constexpr int FILES_MAX_LINKS_FOLLOWED = 40;
constexpr size_t FILES_COPY_BLOCK = 1 << 20;
constexpr const char* FILES_NOT_REGULAR = "Not a regular file";
constexpr int FILES_CLEANUP_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP, SIGXFSZ};
constexpr size_t FILES_CLEANUP_SIGNAL_COUNT =
    sizeof(FILES_CLEANUP_SIGNALS) / sizeof(FILES_CLEANUP_SIGNALS[0]);

// The named file that a signal removes, as a name inside a held folder. Filled before the
// handlers are armed; the handlers only read it.
char cleanup_name[NAME_MAX + 1];
int cleanup_folder = -1;
volatile sig_atomic_t cleanup_armed = 0;
struct sigaction previous_actions[FILES_CLEANUP_SIGNAL_COUNT];
bool handler_installed[FILES_CLEANUP_SIGNAL_COUNT];

void RemoveWrittenFileAndEnd(int signalNumber) {
  const int saved = errno;
  if (cleanup_armed) unlinkat(cleanup_folder, cleanup_name, 0);
  errno = saved;
  // The default action is back (SA_RESETHAND); the signal raised again stays pending
  // until this handler returns and then ends the process as it would have at first.
  raise(signalNumber);
}

sigset_t CleanupSignalSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int signalNumber : FILES_CLEANUP_SIGNALS) sigaddset(&set, signalNumber);
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
void ArmCleanup(int folder, const std::string& name) {
  std::snprintf(cleanup_name, sizeof(cleanup_name), "%s", name.c_str());
  cleanup_folder = folder;
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

// Holds a folder by a descriptor that needs no permission to read it.
int OpenFolder(const std::string& path) {
  return open(path.empty() ? "." : path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

void CloseIfOpen(int* descriptor) {
  if (*descriptor >= 0) close(*descriptor);
  *descriptor = -1;
}

std::string DescriptorPath(int descriptor) {
  char path[FILES_DESCRIPTOR_PATH_SIZE];
  std::snprintf(path, sizeof(path), FILES_DESCRIPTOR_PATH_FORMAT, descriptor);
  return path;
}

// Makes the written file with no name at all, so that however the process ends it leaves
// nothing behind. False, with error 0, where the file system or the system cannot.
bool CreateUnnamed(int folder, Replacement* replacement, int* error) {
  *error = 0;
  const int descriptor = openat(folder, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (descriptor < 0) {
    // Older systems read the flag as O_DIRECTORY and answer EISDIR.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) *error = errno;
    return false;
  }
  // The Info frame is written through this path and the file named through it later.
  const std::string path = DescriptorPath(descriptor);
  if (access(path.c_str(), F_OK) != 0) {
    close(descriptor);
    return false;
  }
  replacement->descriptor = descriptor;
  replacement->reopenPath = path;
  return true;
}

// Creates a new file with a unique hidden name in folder.
bool CreateNamed(int folder, Replacement* replacement, int* error) {
  for (int attempt = 0; attempt < TEMPORARY_NAME_ATTEMPTS; ++attempt) {
    const std::string name = MakeTemporaryName("");
    const int descriptor =
        openat(folder, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (descriptor >= 0) {
      replacement->descriptor = descriptor;
      replacement->writtenName = name;
      replacement->reopenPath = DescriptorPath(descriptor);
      // Without /proc the name is the only way back to the file.
      if (access(replacement->reopenPath.c_str(), F_OK) != 0) {
        replacement->reopenPath = replacement->writtenFolderPath + name;
      }
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

// Makes the written file in folder, a descriptor that the replacement takes over, at
// path: unnamed where the system can, else under a hidden name, whose removal a signal
// then sees to. Called with the signals held.
bool CreateWritten(int folder, const std::string& path, Replacement* replacement, int* error) {
  CloseIfOpen(&replacement->writtenFolder);
  replacement->writtenFolder = folder;
  if (folder < 0) {
    *error = errno;
    return false;
  }
  replacement->writtenFolderPath = path.empty() || path.back() == '/' ? path : path + "/";
  if (CreateUnnamed(folder, replacement, error)) return true;
  if (*error != 0 || !CreateNamed(folder, replacement, error)) return false;
  ArmCleanup(folder, replacement->writtenName);
  return true;
}

void SetFailure(FileFailure* failure, const std::string& path, const char* reason,
                bool targetKept = true) {
  if (!failure) return;
  failure->path = path;
  failure->reason = reason;
  failure->targetKept = targetKept;
}

// Ends a replacement: closes the written file and, when asked, removes its name.
void Close(Replacement* replacement, bool removeName) {
  const sigset_t previous = HoldSignals();
  CloseIfOpen(&replacement->descriptor);
  if (removeName && !replacement->writtenName.empty()) {
    unlinkat(replacement->writtenFolder, replacement->writtenName.c_str(), 0);
  }
  DisarmCleanup();
  ReleaseSignals(previous);
  CloseIfOpen(&replacement->writtenFolder);
  CloseIfOpen(&replacement->folder);
}

mode_t ModeOfNewFile() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// Gives the unnamed written file a hidden name in the target's folder.
bool LinkIn(Replacement* replacement) {
  for (int attempt = 0; attempt < TEMPORARY_NAME_ATTEMPTS; ++attempt) {
    const std::string name = MakeTemporaryName("");
    if (linkat(AT_FDCWD, replacement->reopenPath.c_str(), replacement->folder, name.c_str(),
               AT_SYMLINK_FOLLOW) == 0) {
      replacement->writtenName = name;
      return true;
    }
    if (errno != EEXIST) return false;
  }
  errno = EEXIST;
  return false;
}

// Puts the written file in the target's place in one step.
bool MoveOver(Replacement* replacement) {
  const mode_t mode = replacement->targetExists ? replacement->targetInfo.st_mode & 07777
                                                : ModeOfNewFile();
  if (fsync(replacement->descriptor) != 0 || fchmod(replacement->descriptor, mode) != 0) {
    return false;
  }
  if (replacement->writtenName.empty() && !LinkIn(replacement)) return false;
  if (renameat(replacement->folder, replacement->writtenName.c_str(), replacement->folder,
               replacement->targetName.c_str()) != 0) {
    return false;
  }
  replacement->writtenName.clear();
  return true;
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

// Makes sure the target can hold size bytes before any of its bytes change: a full disk
// or a file-size limit then fails here with the target as it was.
bool ReserveSpace(int target, off_t size, off_t oldSize) {
  // Reserving room past the end does not meet the limit; writing there would.
  rlimit limit;
  if (getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
      static_cast<rlim_t>(size) > limit.rlim_cur) {
    errno = EFBIG;
    return false;
  }
  if (fallocate(target, FALLOC_FL_KEEP_SIZE, 0, size) == 0) return true;
  if (errno != EOPNOTSUPP && errno != ENOSYS) return false;
  // The bytes it already has need no new space on a file system that cannot reserve.
  if (size <= oldSize) return true;
  const int error = posix_fallocate(target, oldSize, size - oldSize);
  if (error == 0 || error == EOPNOTSUPP) return true;
  (void)!ftruncate(target, oldSize);
  errno = error;
  return false;
}

// Opens the target for an in-place write and waits until no other run writes it, so that
// runs on one file follow one another.
int OpenLocked(const Replacement& replacement) {
  const int target =
      openat(replacement.folder, replacement.targetName.c_str(), O_WRONLY | O_CLOEXEC);
  if (target < 0) return -1;
  int locked;
  while ((locked = flock(target, LOCK_EX)) != 0 && errno == EINTR) {
  }
  if (locked != 0) {
    const int error = errno;
    close(target);
    errno = error;
    return -1;
  }
  return target;
}

// Writes the written file's bytes over the target, as a plain write of the target would.
// *targetKept turns false once a byte of the target may have changed.
bool CopyOver(const Replacement& replacement, int target, bool* targetKept) {
  struct stat written, old;
  if (fstat(replacement.descriptor, &written) != 0 || fstat(target, &old) != 0 ||
      !ReserveSpace(target, written.st_size, old.st_size)) {
    return false;
  }
  *targetKept = false;
  std::vector<char> block(FILES_COPY_BLOCK);
  off_t at = 0;
  for (;;) {
    const ssize_t got = pread(replacement.descriptor, block.data(), block.size(), at);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) break;
    if (!WriteAll(target, block.data(), static_cast<size_t>(got))) return false;
    at += got;
  }
  return ftruncate(target, at) == 0 && fsync(target) == 0;
}

}  // namespace

bool CanHoldNativePath(const char* path) { return path && !std::strchr(path, '\\'); }

bool MakeFolders(const char* path, FileFailure* failure) {
  const std::string folder = path;
  for (size_t end = folder.find('/', 1);; end = folder.find('/', end + 1)) {
    const std::string part = folder.substr(0, end);
    if (mkdir(part.c_str(), 0777) != 0 && !(errno == EEXIST && IsFolder(part.c_str()))) {
      SetFailure(failure, part, std::strerror(errno == EEXIST ? ENOTDIR : errno));
      return false;
    }
    if (end == std::string::npos) return true;
  }
}

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
  const std::string& finalPath = replacement->target;
  const std::string folderPath = DirectoryPartWithSlash(finalPath);
  replacement->targetName = finalPath.substr(folderPath.size());
  struct stat info;
  if (stat(finalPath.c_str(), &info) == 0) {
    if (!S_ISREG(info.st_mode)) {
      SetFailure(failure, finalPath,
                 S_ISDIR(info.st_mode) ? std::strerror(EISDIR) : FILES_NOT_REGULAR);
      return nullptr;
    }
    // A target this user may not write is refused, however its folder stands.
    if (faccessat(AT_FDCWD, finalPath.c_str(), W_OK, AT_EACCESS) != 0) {
      SetFailure(failure, finalPath, std::strerror(errno));
      return nullptr;
    }
    replacement->targetExists = true;
    replacement->targetInfo = info;
    // Renaming would part the target from its other names.
    replacement->inPlace = info.st_nlink > 1;
  } else if (errno != ENOENT) {
    SetFailure(failure, finalPath, std::strerror(errno));
    return nullptr;
  }
  // Found now, not when the finished file is renamed after the whole encode.
  if (IsNameTooLong(finalPath)) {
    SetFailure(failure, finalPath, std::strerror(ENAMETOOLONG));
    return nullptr;
  }
  replacement->folder = OpenFolder(folderPath);
  struct stat folderInfo;
  if (replacement->folder >= 0 && fstat(replacement->folder, &folderInfo) == 0 &&
      folderInfo.st_nlink == 0) {
    // A removed folder (the working one, say) takes no new file.
    errno = ENOENT;
    CloseIfOpen(&replacement->folder);
  }
  if (replacement->folder < 0) {
    SetFailure(failure, finalPath, std::strerror(errno));
    return nullptr;
  }

  const sigset_t previous = HoldSignals();
  std::string failedPath = finalPath;
  bool made = CreateWritten(fcntl(replacement->folder, F_DUPFD_CLOEXEC, 0), folderPath,
                            replacement.get(), &error);
  // A folder where no new file can be made still lets a writable file be written over.
  if (!made && replacement->targetExists && (error == EACCES || error == EPERM)) {
    replacement->inPlace = true;
    failedPath = FILES_SYSTEM_TEMPORARY_FOLDER;
    made = CreateWritten(OpenFolder(FILES_SYSTEM_TEMPORARY_FOLDER), FILES_SYSTEM_TEMPORARY_FOLDER,
                         replacement.get(), &error);
  }
  ReleaseSignals(previous);
  if (!made) {
    SetFailure(failure, failedPath, std::strerror(error));
    Close(replacement.get(), true);
    return nullptr;
  }

  struct stat writtenInfo;
  if (replacement->targetExists && !replacement->inPlace &&
      fstat(replacement->descriptor, &writtenInfo) == 0 &&
      (writtenInfo.st_uid != info.st_uid || writtenInfo.st_gid != info.st_gid) &&
      fchown(replacement->descriptor, info.st_uid, info.st_gid) != 0) {
    // Renaming would hand the target to another owner or group.
    replacement->inPlace = true;
  }

  const int streamDescriptor = fcntl(replacement->descriptor, F_DUPFD_CLOEXEC, 0);
  *stream = streamDescriptor >= 0 ? fdopen(streamDescriptor, "w+b") : nullptr;
  if (!*stream) {
    SetFailure(failure, finalPath, std::strerror(errno));
    if (streamDescriptor >= 0) close(streamDescriptor);
    Close(replacement.get(), true);
    return nullptr;
  }
  return replacement.release();
}

const char* GetReplacementPath(const Replacement* replacement) {
  return replacement ? replacement->reopenPath.c_str() : "";
}

bool FinishReplacement(Replacement* replacement, FileFailure* failure) {
  if (!replacement) return false;
  std::unique_ptr<Replacement> owned(replacement);
  // Taken before the signals are held, so that a run waiting for another can be stopped.
  const int target = replacement->inPlace ? OpenLocked(*replacement) : -1;
  bool targetKept = true;
  bool done = false;
  // The signals wait until the target is whole again and the written file is gone.
  const sigset_t previous = HoldSignals();
  if (!replacement->inPlace) {
    done = MoveOver(replacement);
  } else if (target >= 0) {
    done = CopyOver(*replacement, target, &targetKept);
  }
  int error = errno;
  // The lock ends with the close; a write the system reports only now is a failure too.
  if (target >= 0 && close(target) != 0 && done) {
    error = errno;
    done = false;
    targetKept = false;
  }
  Close(replacement, true);
  ReleaseSignals(previous);
  if (!done) SetFailure(failure, replacement->target, std::strerror(error), targetKept);
  return done;
}

void AbandonReplacement(Replacement* replacement) {
  if (!replacement) return;
  std::unique_ptr<Replacement> owned(replacement);
  Close(replacement, true);
}
