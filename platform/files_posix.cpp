// POSIX implementation of the platform layer's file operations.
#include "platform/platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

namespace {

constexpr int FILES_NAME_ATTEMPTS = 100;
constexpr int FILES_RANDOM_CHARACTERS = 8;
constexpr char FILES_TEMPORARY_PREFIX[] = ".hushmaker-";

std::string DirectoryPartWithSlash(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash ? std::string(path, static_cast<size_t>(slash - path) + 1) : std::string();
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
  const std::string directory = DirectoryPartWithSlash(target);
  for (int attempt = 0; attempt < FILES_NAME_ATTEMPTS; ++attempt) {
    std::string path = directory + FILES_TEMPORARY_PREFIX;
    for (int i = 0; i < FILES_RANDOM_CHARACTERS; ++i) path += alphabet[pick(generator)];
    path += suffix;
    if (path.size() >= size) return false;
    // Mode 0666 lets the umask decide, as for any file the user creates.
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      close(fd);
      std::snprintf(buffer, size, "%s", path.c_str());
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

bool MoveFileOver(const char* source, const char* target) {
  if (!source || !target) return false;
  struct stat existing;
  if (stat(target, &existing) == 0 && S_ISREG(existing.st_mode)) {
    chmod(source, existing.st_mode & 07777);
  }
  return std::rename(source, target) == 0;
}

bool RemoveFile(const char* path) { return path && std::remove(path) == 0; }
