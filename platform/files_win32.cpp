// Win32 implementation of the platform layer's file operations: a file is written in full
// under another name, then put in its target's place.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/native_calls.h"
#include "platform/platform.h"

struct Replacement {
  std::string target;   // the file to replace, a symbolic link followed
  std::string written;  // the file being written
  HANDLE handle = INVALID_HANDLE_VALUE;  // the handle the written file was created with
  bool targetExists = false;
  // The target is written over instead of being replaced by renaming.
  bool inPlace = false;
};

namespace {

constexpr DWORD FILES_COPY_BLOCK = 1 << 20;
// Every handle lets the others read, write and rename, so that the writer can reopen the
// file by name while it is being written.
constexpr DWORD FILES_SHARING = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr char FILES_LONG_PATH_PREFIX[] = "\\\\?\\";
constexpr char FILES_IS_A_FOLDER[] = "Is a folder";

// The file that closing the console or Ctrl+C removes. Filled before the handler is
// armed, under the lock that the handler takes too.
CRITICAL_SECTION cleanup_lock;
std::string cleanup_path;
bool cleanup_handler_installed = false;

// Runs on a thread of its own when the console asks the process to end; the process
// then ends as it would have without it.
BOOL WINAPI RemoveWrittenFileOnConsoleEvent(DWORD) {
  EnterCriticalSection(&cleanup_lock);
  if (!cleanup_path.empty()) DeleteFileA(cleanup_path.c_str());
  cleanup_path.clear();
  LeaveCriticalSection(&cleanup_lock);
  return FALSE;
}

void ArmCleanup(const std::string& path) {
  if (!cleanup_handler_installed) {
    InitializeCriticalSection(&cleanup_lock);
    cleanup_handler_installed = SetConsoleCtrlHandler(RemoveWrittenFileOnConsoleEvent, TRUE);
    if (!cleanup_handler_installed) DeleteCriticalSection(&cleanup_lock);
  }
  if (!cleanup_handler_installed) return;
  EnterCriticalSection(&cleanup_lock);
  cleanup_path = path;
  LeaveCriticalSection(&cleanup_lock);
}

void DisarmCleanup() {
  if (!cleanup_handler_installed) return;
  EnterCriticalSection(&cleanup_lock);
  cleanup_path.clear();
  LeaveCriticalSection(&cleanup_lock);
}

// The system's text for an error code, without its line break.
std::string DescribeError(DWORD error) {
  char text[512] = "";
  const DWORD length =
      FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                     0, text, sizeof(text), nullptr);
  std::string reason(text, length);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
  if (reason.empty()) reason = "Error " + std::to_string(error);
  return reason;
}

void SetFailure(FileFailure* failure, const std::string& path, const std::string& reason,
                bool targetKept = true) {
  if (!failure) return;
  failure->path = path;
  failure->reason = reason;
  failure->targetKept = targetKept;
}

void SetFailure(FileFailure* failure, const std::string& path, DWORD error,
                bool targetKept = true) {
  SetFailure(failure, path, DescribeError(error), targetKept);
}

// Both separators are Windows' own.
std::string DirectoryPartWithSeparator(const std::string& path) {
  const size_t separator = path.find_last_of("\\/");
  return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

// The file that a symbolic link names; any other path is its own.
std::string FollowLink(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return path;
  }
  HANDLE file = CreateFileA(path.c_str(), 0, FILES_SHARING, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return path;
  std::vector<char> followed(MAX_PATH);
  const DWORD length = GetFinalPathNameByHandleA(file, followed.data(),
                                                 static_cast<DWORD>(followed.size()), 0);
  CloseHandle(file);
  if (length == 0 || length >= followed.size()) return path;
  std::string result(followed.data(), length);
  if (result.compare(0, std::strlen(FILES_LONG_PATH_PREFIX), FILES_LONG_PATH_PREFIX) == 0) {
    result.erase(0, std::strlen(FILES_LONG_PATH_PREFIX));
  }
  return result;
}

// Creates a new file with a unique name in directory.
bool CreateExclusively(const std::string& directory, Replacement* replacement, DWORD* error) {
  for (int attempt = 0; attempt < TEMPORARY_NAME_ATTEMPTS; ++attempt) {
    const std::string path = MakeTemporaryName(directory);
    if (path.size() >= MAX_PATH) {
      *error = ERROR_FILENAME_EXCED_RANGE;
      return false;
    }
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILES_SHARING,
                              nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      replacement->handle = file;
      replacement->written = path;
      return true;
    }
    *error = GetLastError();
    if (*error != ERROR_FILE_EXISTS) return false;
  }
  return false;
}

// A stream of the caller's own over the written file.
FILE* OpenStream(HANDLE file) {
  HANDLE own = INVALID_HANDLE_VALUE;
  if (!DuplicateHandle(GetCurrentProcess(), file, GetCurrentProcess(), &own, 0, FALSE,
                       DUPLICATE_SAME_ACCESS)) {
    return nullptr;
  }
  const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(own), _O_RDWR | _O_BINARY);
  if (descriptor < 0) {
    CloseHandle(own);
    return nullptr;
  }
  FILE* stream = _fdopen(descriptor, "w+b");
  if (!stream) _close(descriptor);
  return stream;
}

// Ends a replacement whose written file is not wanted: closes and removes it.
void Discard(Replacement* replacement) {
  CloseHandle(replacement->handle);
  DeleteFileA(replacement->written.c_str());
  DisarmCleanup();
}

// Puts the written file in the target's place in one step; an existing target keeps its
// attributes and permissions.
bool MoveOver(const Replacement& replacement, std::string* failedPath) {
  *failedPath = replacement.target;
  // Written hidden, like a POSIX dot file; the finished file is not.
  SetFileAttributesA(replacement.written.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (replacement.targetExists &&
      ReplaceFileA(replacement.target.c_str(), replacement.written.c_str(), nullptr,
                   REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
    return true;
  }
  return MoveFileExA(replacement.written.c_str(), replacement.target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

// Opens the target for an in-place write and waits until no other run writes it, so that
// runs on one file follow one another. The lock ends when the handle is closed.
HANDLE OpenLocked(const Replacement& replacement) {
  HANDLE target = CreateFileA(replacement.target.c_str(), GENERIC_WRITE, FILES_SHARING, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (target == INVALID_HANDLE_VALUE) return target;
  OVERLAPPED whole = {};
  if (!LockFileEx(target, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
    const DWORD error = GetLastError();
    CloseHandle(target);
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
  }
  return target;
}

// Makes the target as long as the new file before any of its bytes change, so that a full
// disk fails here with the target as it was.
bool ReserveSpace(HANDLE target, LARGE_INTEGER size) {
  LARGE_INTEGER oldSize = {};
  if (!GetFileSizeEx(target, &oldSize)) return false;
  if (size.QuadPart <= oldSize.QuadPart) return true;
  if (SetFilePointerEx(target, size, nullptr, FILE_BEGIN) && SetEndOfFile(target)) return true;
  const DWORD error = GetLastError();
  SetFilePointerEx(target, oldSize, nullptr, FILE_BEGIN);
  SetEndOfFile(target);
  SetLastError(error);
  return false;
}

// Writes the written file's bytes over the locked target, as a plain write of the target
// would. *targetKept turns false once a byte of the target may have changed.
bool CopyOver(const Replacement& replacement, HANDLE target, bool* targetKept) {
  LARGE_INTEGER size = {};
  const LARGE_INTEGER start = {};
  if (!GetFileSizeEx(replacement.handle, &size) || !ReserveSpace(target, size) ||
      !SetFilePointerEx(target, start, nullptr, FILE_BEGIN) ||
      !SetFilePointerEx(replacement.handle, start, nullptr, FILE_BEGIN)) {
    return false;
  }
  *targetKept = false;
  std::vector<char> block(FILES_COPY_BLOCK);
  for (DWORD got = 0;;) {
    if (!ReadFile(replacement.handle, block.data(), FILES_COPY_BLOCK, &got, nullptr)) return false;
    if (got == 0) break;
    DWORD put = 0;
    if (!WriteFile(target, block.data(), got, &put, nullptr) || put != got) return false;
  }
  return SetEndOfFile(target) && FlushFileBuffers(target);
}

}  // namespace

bool CanHoldNativePath(const char* path) { return path != nullptr; }

bool MakeFolders(const char* path, FileFailure* failure) {
  const std::string folder = path;
  const char* separators = "\\/";
  // A drive (C:\) or a share (\\server\share) is there already: begin behind it.
  size_t start = folder.size() > 2 && folder[1] == ':' ? 3 : 1;
  if (folder.compare(0, 2, "\\\\") == 0) {
    const size_t server = folder.find_first_of(separators, 2);
    start = server == std::string::npos ? server : folder.find_first_of(separators, server + 1);
    if (start == std::string::npos) return true;
  }
  for (size_t end = folder.find_first_of(separators, start);;
       end = folder.find_first_of(separators, end + 1)) {
    const std::string part = folder.substr(0, end);
    if (!CreateDirectoryA(part.c_str(), nullptr)) {
      const DWORD error = GetLastError();
      if (error != ERROR_ALREADY_EXISTS || !IsFolder(part.c_str())) {
        SetFailure(failure, part, error == ERROR_ALREADY_EXISTS ? ERROR_DIRECTORY : error);
        return false;
      }
    }
    if (end == std::string::npos) return true;
  }
}

Replacement* BeginReplacement(const char* target, FILE** stream, FileFailure* failure) {
  if (stream) *stream = nullptr;
  if (!target || !stream) {
    SetFailure(failure, target ? target : "", ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto replacement = std::make_unique<Replacement>();
  replacement->target = FollowLink(target);
  const std::string& finalPath = replacement->target;
  // Found now, not when the finished file is renamed after the whole encode.
  if (finalPath.size() >= MAX_PATH) {
    SetFailure(failure, finalPath, ERROR_FILENAME_EXCED_RANGE);
    return nullptr;
  }
  const DWORD attributes = GetFileAttributesA(finalPath.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      SetFailure(failure, finalPath, FILES_IS_A_FOLDER);
      return nullptr;
    }
    // A target this user may not write is refused, however its folder stands.
    HANDLE existing = CreateFileA(finalPath.c_str(), GENERIC_WRITE, FILES_SHARING, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (existing == INVALID_HANDLE_VALUE) {
      SetFailure(failure, finalPath, GetLastError());
      return nullptr;
    }
    BY_HANDLE_FILE_INFORMATION information = {};
    // Renaming would part the target from its other names.
    replacement->inPlace = GetFileInformationByHandle(existing, &information) &&
                           information.nNumberOfLinks > 1;
    CloseHandle(existing);
    replacement->targetExists = true;
  } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
    SetFailure(failure, finalPath, GetLastError());
    return nullptr;
  }

  DWORD error = 0;
  std::string failedPath = finalPath;
  bool made =
      CreateExclusively(DirectoryPartWithSeparator(finalPath), replacement.get(), &error);
  // A folder where no new file can be made still lets a writable file be written over.
  if (!made && replacement->targetExists && error == ERROR_ACCESS_DENIED) {
    char temporaryFolder[MAX_PATH + 1] = "";
    const DWORD length = GetTempPathA(sizeof(temporaryFolder), temporaryFolder);
    if (length > 0 && length < sizeof(temporaryFolder)) {
      replacement->inPlace = true;
      failedPath = temporaryFolder;
      made = CreateExclusively(temporaryFolder, replacement.get(), &error);
    }
  }
  if (!made) {
    SetFailure(failure, failedPath, error);
    return nullptr;
  }
  ArmCleanup(replacement->written);

  *stream = OpenStream(replacement->handle);
  if (!*stream) {
    SetFailure(failure, replacement->written, GetLastError());
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
  std::string failedPath = replacement->target;
  bool targetKept = true;
  bool done = FlushFileBuffers(replacement->handle);
  if (done && replacement->inPlace) {
    HANDLE target = OpenLocked(*replacement);
    done = target != INVALID_HANDLE_VALUE && CopyOver(*replacement, target, &targetKept);
    const DWORD error = GetLastError();
    if (target != INVALID_HANDLE_VALUE && !CloseHandle(target) && done) {
      done = false;
      targetKept = false;
    } else {
      SetLastError(error);
    }
  }
  DWORD error = GetLastError();
  CloseHandle(replacement->handle);
  if (done && !replacement->inPlace) {
    done = MoveOver(*replacement, &failedPath);
    error = GetLastError();
  }
  if (!done || replacement->inPlace) DeleteFileA(replacement->written.c_str());
  DisarmCleanup();
  if (!done) SetFailure(failure, failedPath, error, targetKept);
  return done;
}

void AbandonReplacement(Replacement* replacement) {
  if (!replacement) return;
  std::unique_ptr<Replacement> owned(replacement);
  Discard(replacement);
}
