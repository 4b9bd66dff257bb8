// The checker's forward reader over a buffer or a file.
#include "checker/byte_source.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

// Enough for any frame and for the free-format search the loader makes, and few reads.
constexpr size_t BYTE_SOURCE_WINDOW = 64 * 1024;
// fseek takes a long, which is 32 bits on Windows: long skips go in steps.
constexpr uint64_t BYTE_SOURCE_SEEK_STEP = 1u << 30;

}  // namespace

ByteSource::ByteSource(const uint8_t* data, uint64_t size) : data(data), size(size) {
  tailBytes = static_cast<size_t>(std::min<uint64_t>(size, TAIL_BYTES));
  if (tailBytes > 0) std::memcpy(tail, data + (size - tailBytes), tailBytes);
}

ByteSource::ByteSource(std::FILE* file, uint64_t size) : file(file), size(size) {
  const size_t want = static_cast<size_t>(std::min<uint64_t>(size, TAIL_BYTES));
  if (want > 0 && std::fseek(file, -static_cast<long>(want), SEEK_END) == 0) {
    tailBytes = std::fread(tail, 1, want, file);
    if (tailBytes != want) tailBytes = 0;
  }
  std::rewind(file);
}

const uint8_t* ByteSource::Tail(size_t count) const {
  if (count > tailBytes) return nullptr;
  return tail + (tailBytes - count);
}

const uint8_t* ByteSource::View(uint64_t offset, size_t count) {
  if (offset > size || count > size - offset) return nullptr;
  if (data) return data + offset;
  if (failed || offset < windowStart) return nullptr;
  if (offset + count > windowStart + windowBytes && !Fill(offset, count)) return nullptr;
  return window.data() + (offset - windowStart);
}

// Moves the window up to BACK_BYTES before offset, keeping what it already holds from
// there, and reads on until it holds the `count` bytes at offset.
bool ByteSource::Fill(uint64_t offset, size_t count) {
  const uint64_t loadedEnd = windowStart + windowBytes;
  const uint64_t keepFrom = std::max(windowStart, offset > BACK_BYTES ? offset - BACK_BYTES : 0);
  if (keepFrom < loadedEnd) {
    windowBytes = static_cast<size_t>(loadedEnd - keepFrom);
    std::memmove(window.data(), window.data() + (keepFrom - windowStart), windowBytes);
    windowStart = keepFrom;
  } else {
    // Skipped bytes are never read, except the BACK_BYTES before offset that a later view
    // may still ask for.
    for (uint64_t skip = keepFrom - fileAt; skip > 0;) {
      const uint64_t step = std::min(skip, BYTE_SOURCE_SEEK_STEP);
      if (std::fseek(file, static_cast<long>(step), SEEK_CUR) != 0) {
        failed = true;
        error = errno;
        return false;
      }
      skip -= step;
      fileAt += step;
    }
    windowStart = keepFrom;
    windowBytes = 0;
  }
  const size_t needed = static_cast<size_t>(offset - windowStart) + count;
  window.resize(std::max(BYTE_SOURCE_WINDOW, needed));
  const size_t room = static_cast<size_t>(
      std::min<uint64_t>(window.size() - windowBytes, size - (windowStart + windowBytes)));
  errno = 0;
  const size_t got = std::fread(window.data() + windowBytes, 1, room, file);
  fileAt += got;
  windowBytes += got;
  if (got < room && std::ferror(file)) {
    failed = true;
    error = errno != 0 ? errno : EIO;
  }
  return windowBytes >= needed;
}
