// Test tools: a Layer III frame walker that reads our files without our encoder, external
// programs run through the shell, and scratch directories.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct FrameHeader {
  int mpegVersion = 0;  // 1 or 2
  int sampleRate = 0, bitRateKbps = 0, channelMode = 0;  // channel mode 3 is mono
  bool crc = false, privateBit = false, copyright = false, original = false;
  size_t length = 0;  // bytes, header included
};

struct Mp3Walk {
  std::vector<FrameHeader> frames;  // from the first frame on, as long as they chain
  bool endsCleanly = false;         // the last frame ends where the audio (or tag) starts
  bool hasId3v1 = false;
  std::string vbrTagId;             // "Xing" or "Info" in the first frame, if any
  uint32_t vbrFrameCount = 0;       // the frame count that tag states
};

Mp3Walk WalkMp3(const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadWholeFile(const std::string& path);

// Runs a shell command and returns its stdout; *status gets its exit status.
std::string RunCommand(const std::string& command, int* status = nullptr);

// Counts the 16-bit samples a decoder command writes, and those that are not zero.
struct DecodedPcm {
  int status = -1;
  uint64_t samples = 0, nonZero = 0;
};
DecodedPcm RunDecoder(const std::string& command);

std::string ShellQuote(const std::string& text);

// A new empty directory under /tmp, removed with its contents at the end of the scope.
class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  const std::string& path() const { return path_; }  // native, no trailing slash
  std::vector<std::string> List() const;              // entry names, sorted

 private:
  std::string path_;
};
