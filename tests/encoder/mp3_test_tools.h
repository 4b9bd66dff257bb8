// Test tools: an MPEG audio frame walker that reads our files without our encoder,
// external programs run through the shell, and scratch directories.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct FrameHeader {
  int mpegVersion = 0;  // 1, 2, or 25 for 2.5
  int layer = 0;        // 1..3
  bool crc = false;
  int bitRateKbps = 0;
  int sampleRate = 0;
  bool padding = false;
  bool privateBit = false;
  int channelMode = 0;  // 3 is mono
  bool copyright = false;
  bool original = false;
  int emphasis = 0;
  size_t length = 0;  // bytes, header included
};

// Parses the four header bytes at p; false when they are no valid Layer I-III header.
bool ParseFrameHeader(const uint8_t* p, FrameHeader* header);

struct Mp3Walk {
  std::vector<FrameHeader> frames;  // every frame from the first to the last
  std::vector<size_t> offsets;
  bool endsCleanly = false;   // the last frame ends exactly where the audio ends
  bool hasId3v1 = false;      // the last 128 bytes start with "TAG"
  std::string vbrTagId;       // "Xing" or "Info" when the first frame carries one
  uint32_t vbrFrameCount = 0; // the frame count that tag states, when it has one
  bool vbrHasFrameCount = false;
};

// Walks the frames of a whole file held in memory (no ID3v2 expected).
Mp3Walk WalkMp3(const std::vector<uint8_t>& bytes);

std::vector<uint8_t> ReadWholeFile(const std::string& path);

// Runs a shell command and returns what it wrote on stdout; *status gets its exit status.
std::string RunCommand(const std::string& command, int* status = nullptr);

// What a decoder wrote as 16-bit samples, counted without holding it all in memory.
struct DecodedPcm {
  int status = -1;          // the command's exit status
  uint64_t samples = 0;     // 16-bit samples written
  uint64_t nonZero = 0;     // of them, the samples that are not silence
};
DecodedPcm RunDecoder(const std::string& command);

// Quotes text for the shell.
std::string ShellQuote(const std::string& text);

// A new empty directory under /tmp, removed with everything in it when the object goes.
class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;
  const std::string& path() const { return path_; }  // native, no trailing slash
  std::vector<std::string> List() const;               // names of the entries, sorted
 private:
  std::string path_;
};
