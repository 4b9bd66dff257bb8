// The checker's own reader (not part of its interface): a file's or a buffer's bytes,
// handed out forward through a window, never past the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

class ByteSource {
 public:
  // The most that Tail can give: an ID3v1 tag.
  static constexpr size_t TAIL_BYTES = 128;

  ByteSource(const uint8_t* data, uint64_t size);
  // `size` is what the file held when it was opened; a file that has shrunk since reads
  // as if it ended early. Reads the file's last bytes at once, then from its start.
  ByteSource(std::FILE* file, uint64_t size);

  uint64_t Size() const { return size; }

  // How far a view may start before the furthest start of the views before it.
  static constexpr uint64_t BACK_BYTES = 16 * 1024;

  // The `count` bytes at `offset`, valid until the next call, or null when they pass the
  // end or cannot be read (or go back further than BACK_BYTES).
  const uint8_t* View(uint64_t offset, size_t count);

  // The file's last `count` (at most TAIL_BYTES) bytes, or null when it is shorter.
  const uint8_t* Tail(size_t count) const;

  // Whether a read failed, and the system's error number then.
  bool Failed() const { return failed; }
  int Error() const { return error; }

 private:
  bool Fill(uint64_t offset, size_t count);

  const uint8_t* data = nullptr;  // the whole buffer, or null for a file
  std::FILE* file = nullptr;
  uint64_t size = 0;
  std::vector<uint8_t> window;  // the file's bytes from windowStart on
  uint64_t windowStart = 0;
  size_t windowBytes = 0;  // read into the window so far
  uint64_t fileAt = 0;     // where the file's next read starts
  uint8_t tail[TAIL_BYTES] = {};
  size_t tailBytes = 0;
  bool failed = false;
  int error = 0;
};
