// Win32 implementation of the platform layer's file operations.
#include "platform/platform.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>

namespace {

constexpr int FILES_NAME_ATTEMPTS = 100;
constexpr int FILES_RANDOM_CHARACTERS = 8;
constexpr char FILES_TEMPORARY_PREFIX[] = ".hushmaker-";

// Both separators are understood: the program writes backslashes, a user may type '/'.
std::string DirectoryPartWithSeparator(const char* path) {
  const char* backslash = std::strrchr(path, '\\');
  const char* slash = std::strrchr(path, '/');
  const char* last = backslash > slash ? backslash : slash;
  return last ? std::string(path, static_cast<size_t>(last - path) + 1) : std::string();
}

}  // namespace

bool CreateTemporaryFileBeside(const char* target, const char* suffix, char* buffer,
                               size_t size) {
  if (!target || !suffix || !buffer || size == 0) return false;
  buffer[0] = '\0';
  static const char alphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device seed;
  std::mt19937 generator(seed());
  std::uniform_int_distribution<size_t> pick(0, sizeof(alphabet) - 2);
  const std::string directory = DirectoryPartWithSeparator(target);
  for (int attempt = 0; attempt < FILES_NAME_ATTEMPTS; ++attempt) {
    std::string path = directory + FILES_TEMPORARY_PREFIX;
    for (int i = 0; i < FILES_RANDOM_CHARACTERS; ++i) path += alphabet[pick(generator)];
    path += suffix;
    if (path.size() >= size) return false;
    // The folder's inherited permissions apply, as for any file the user creates.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      CloseHandle(file);
      std::snprintf(buffer, size, "%s", path.c_str());
      return true;
    }
    if (GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  return false;
}

bool MoveFileOver(const char* source, const char* target) {
  if (!source || !target) return false;
  // An existing target keeps its attributes and permissions when it is replaced.
  if (GetFileAttributesA(target) != INVALID_FILE_ATTRIBUTES &&
      ReplaceFileA(target, source, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                   nullptr)) {
    return true;
  }
  return MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool RemoveFile(const char* path) { return path && DeleteFileA(path) != 0; }
