// Test tools: a Layer III frame walker that reads our files without our encoder, ID3v1
// tag bytes, external programs run through the shell, and scratch directories.
#pragma once

#include <stdlib.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

using Bytes = std::vector<uint8_t>;

struct Mp3Walk {
  size_t frames = 0;     // MPEG-1 Layer III 44.1 kHz frames chained from the file's start
  size_t offFrames = 0;  // of those, not mono, copyright, original, no CRC or private bit,
                         // 32..128 kbit/s
  bool endsCleanly = false;  // the last frame ends where the ID3v1 tag (or the file) starts
  bool hasId3v1 = false;
  uint32_t xingFrames = 0;  // the frame count stated by a Xing/Info first frame
};

inline Mp3Walk WalkMp3(const Bytes& bytes) {
  // MPEG-1 Layer III bit rates in kbit/s by index; 0 marks an index no frame may use.
  static const int kBitRates[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                    112, 128, 160, 192, 224, 256, 320, 0};
  constexpr size_t kXingAt = 4 + 17;  // behind the header and a mono frame's side information
  Mp3Walk walk;
  size_t end = bytes.size();
  walk.hasId3v1 = end >= 128 && std::memcmp(&bytes[end - 128], "TAG", 3) == 0;
  if (walk.hasId3v1) end -= 128;
  size_t at = 0;
  while (at + 4 <= end) {
    const uint8_t* p = &bytes[at];
    const int rate = kBitRates[p[2] >> 4];
    // Sync, MPEG-1, Layer III, 44.1 kHz; anything else ends the chain.
    if (p[0] != 0xFF || (p[1] & 0xFE) != 0xFA || rate == 0 || (p[2] & 0x0C) != 0) break;
    const size_t length = 144 * rate * 1000 / 44100 + ((p[2] >> 1) & 1);
    if (at + length > end) break;
    const bool noCrc = p[1] & 1, privateBit = p[2] & 1;
    const bool mono = (p[3] >> 6) == 3, copyright = p[3] & 8, original = p[3] & 4;
    walk.offFrames += !(mono && copyright && original && noCrc && !privateBit && rate <= 128);
    // The Xing/Info frame's frame count follows its four flag bytes.
    const uint8_t* x = p + kXingAt;
    if (walk.frames++ == 0 && at + kXingAt + 12 <= end &&
        (std::memcmp(x, "Xing", 4) == 0 || std::memcmp(x, "Info", 4) == 0)) {
      walk.xingFrames = uint32_t{x[8]} << 24 | uint32_t{x[9]} << 16 | x[10] << 8 | x[11];
    }
    at += length;
  }
  walk.endsCleanly = walk.frames > 0 && at == end;
  return walk;
}

// Offsets of the ID3v1.1 fields in the tag.
enum TagField : size_t {
  TAG_MARKER = 0, TAG_TITLE = 3, TAG_ARTIST = 33, TAG_ALBUM = 63, TAG_YEAR = 93,
  TAG_COMMENT = 97, TAG_ZERO_BYTE = 125, TAG_TRACK = 126, TAG_GENRE = 127,
};

// audio followed by a tag holding the given fields and zero elsewhere.
inline Bytes Tagged(const Bytes& audio,
                    const std::vector<std::pair<TagField, std::string>>& fields) {
  Bytes bytes = audio;
  bytes.insert(bytes.end(), {'T', 'A', 'G'});
  bytes.resize(audio.size() + 128, 0);
  for (const auto& [at, text] : fields) {
    std::memcpy(&bytes[audio.size() + at], text.data(), text.size());
  }
  return bytes;
}

inline Bytes ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline void WriteWholeFile(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
}

// A shell command's exit status, its output (the first megabyte), and the 16-bit words
// of all its output with the number of those that are not zero.
struct CommandRun {
  int status = -1;
  std::string output;
  uint64_t words = 0, nonZeroWords = 0;
};

inline CommandRun RunCommand(const std::string& command) {
  CommandRun run;
  FILE* pipe = popen(command.c_str(), "r");
  static int16_t block[32768];
  size_t got;
  while (pipe && (got = std::fread(block, 1, sizeof(block), pipe)) > 0) {
    if (run.output.size() < (1 << 20)) run.output.append(reinterpret_cast<char*>(block), got);
    run.words += got / 2;
    for (size_t i = 0; i < got / 2; ++i) run.nonZeroWords += block[i] != 0;
  }
  const int raw = pipe ? pclose(pipe) : -1;
  run.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return run;
}

// A new empty directory under /tmp, removed with its contents at the end of the scope. Its
// path has no character the shell would read, so commands take it as it is.
class ScratchDirectory {
 public:
  ScratchDirectory() {
    char pattern[] = "/tmp/hushmaker-test-XXXXXX";
    if (mkdtemp(pattern)) path_ = pattern;
  }
  ~ScratchDirectory() {
    if (!path_.empty()) RunCommand("rm -rf " + path_);
  }
  const std::string& path() const { return path_; }  // native, no trailing slash

  // The program's form: backslashes, one at the end.
  std::string own() const {
    std::string own = path_ + "/";
    for (char& c : own) c = c == '/' ? '\\' : c;
    return own;
  }

  // Entry names, one a line, sorted.
  std::string List() const { return RunCommand("LC_ALL=C ls -A " + path_).output; }

 private:
  std::string path_;
};
