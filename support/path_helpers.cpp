// Path and file-name helpers: taking paths apart and putting them together as plain bytes.
#include "support/path_helpers.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace {

constexpr int IO_RING_SLOTS = 8;

char g_file_name[IO_PATH_BUFFER_SIZE];
char g_file_name_of_slash_path[IO_PATH_BUFFER_SIZE];
char g_stripped[IO_PATH_BUFFER_SIZE];
char g_stripped_of_slash_path[IO_PATH_BUFFER_SIZE];

struct DirectoryRing {
  char slots[IO_RING_SLOTS][IO_PATH_BUFFER_SIZE];
  int index;
};

// The index starts at the last slot so that the first call fills slot 0.
DirectoryRing g_directory_ring = {{}, IO_RING_SLOTS - 1};
DirectoryRing g_directory_of_slash_path_ring = {{}, IO_RING_SLOTS - 1};

// Copies at most size - 1 bytes and always terminates: over-long input is cut.
char* CopyCut(char* buffer, size_t size, const char* text) {
  snprintf(buffer, size, "%s", text);
  return buffer;
}

char* NextSlot(DirectoryRing* ring) {
  ring->index = (ring->index + 1) % IO_RING_SLOTS;
  return ring->slots[ring->index];
}

char* StripExtensionInto(char* buffer, const char* path, char separator) {
  CopyCut(buffer, IO_PATH_BUFFER_SIZE, path);
  char* dot = strrchr(buffer, '.');
  char* lastSeparator = strrchr(buffer, separator);
  if (dot != nullptr && (lastSeparator == nullptr || dot > lastSeparator)) *dot = '\0';
  return buffer;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Length of the path once a final "." or ".." component is dropped together with the
// separator before it ("D:/x/." and "D:\x\.." both name D:\x). A bare "." or ".."
// names the directory it was chosen in, which the program writes as ".". A name that
// merely ends in dots ("take.") is a real directory on this system and stays whole.
size_t KeptLength(const char* path, size_t length, bool* isCurrentDirectory) {
  *isCurrentDirectory = false;
  size_t dots = 0;
  if (length >= 2 && path[length - 1] == '.' && path[length - 2] == '.')
    dots = 2;
  else if (length >= 1 && path[length - 1] == '.')
    dots = 1;
  if (dots == 0) return length;
  if (length == dots) {
    *isCurrentDirectory = true;
    return 0;
  }
  if (!IsSeparator(path[length - dots - 1])) return length;
  return length - dots - 1;
}

}  // namespace

char* GetDirectoryOfSlashPath(const char* path) {
  char* slot = CopyCut(NextSlot(&g_directory_of_slash_path_ring), IO_PATH_BUFFER_SIZE, path);
  char* slash = strrchr(slot, '/');
  if (slash != nullptr) *slash = '\0';
  return slot;
}

char* GetDirectory(const char* path) {
  char* slot = CopyCut(NextSlot(&g_directory_ring), IO_PATH_BUFFER_SIZE, path);
  char* backslash = strrchr(slot, '\\');
  if (backslash == nullptr) return GetDirectoryOfSlashPath(path);
  *backslash = '\0';
  return slot;
}

char* GetFileNameOfSlashPath(const char* path) {
  const char* slash = strrchr(path, '/');
  return CopyCut(g_file_name_of_slash_path, sizeof g_file_name_of_slash_path,
                 slash != nullptr ? slash + 1 : path);
}

char* GetFileName(const char* path) {
  if (strchr(path, '\\') == nullptr) return GetFileNameOfSlashPath(path);
  return CopyCut(g_file_name, sizeof g_file_name, FindFileName(path));
}

const char* FindFileName(const char* path) {
  const char* separator = strrchr(path, '\\');
  if (separator == nullptr) separator = strrchr(path, '/');
  return separator != nullptr ? separator + 1 : path;
}

char* StripExtension(const char* path) { return StripExtensionInto(g_stripped, path, '\\'); }

char* StripExtensionOfSlashPath(const char* path) {
  return StripExtensionInto(g_stripped_of_slash_path, path, '/');
}

char* StripExtensionInPlace(char* path) {
  for (size_t i = strlen(path); i > 1; --i) {
    char c = path[i - 1];
    if (c == '\\') break;
    if (c == '.') {
      path[i - 1] = '\0';
      break;
    }
  }
  return path;
}

void AddExtensionIfNone(char* path, const char* extension) {
  size_t length = strlen(path);
  for (size_t i = length; i > 0; --i) {
    char c = path[i - 1];
    if (c == '.' && i > 1) return;
    if (IsSeparator(c) || i == 1) break;
  }
  memcpy(path + length, extension, strlen(extension) + 1);
}

char* NormalizeDirectory(const char* path, bool addTrailingBackslash) {
  char* block = static_cast<char*>(calloc(1, IO_DIRECTORY_BLOCK_SIZE));
  if (block == nullptr) return nullptr;
  // Room for the trailing backslash is kept so that a cut result still ends in one.
  const size_t limit = IO_DIRECTORY_BLOCK_SIZE - 1 - (addTrailingBackslash ? 1 : 0);
  bool isCurrentDirectory = false;
  size_t kept = KeptLength(path, strlen(path), &isCurrentDirectory);
  if (isCurrentDirectory) {
    block[0] = '.';
    kept = 1;
  } else {
    if (kept > limit) kept = limit;
    memcpy(block, path, kept);
  }
  for (size_t i = 0; i < kept; ++i) {
    if (block[i] == '/') block[i] = '\\';
  }
  if (addTrailingBackslash && (kept == 0 || block[kept - 1] != '\\')) block[kept] = '\\';
  return block;
}

bool FileExists(const char* path) {
  FILE* file = fopen(NativePath(path).c_str(), "r");
  if (file == nullptr) return false;
  // A directory opens for reading here but is not a file: its first read fails.
  bool readable = fgetc(file) != EOF || !ferror(file);
  fclose(file);
  return readable;
}

void FreeMemory(void* block) { free(block); }
