// Test tools: frame walker, command runner, scratch directories.
#include "mp3_test_tools.h"

#include <dirent.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// Layer III bit rates in kbit/s by [MPEG-1 ? 0 : 1][index].
const int kBitRates[2][16] = {
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}};
const int kSampleRates[3] = {44100, 48000, 32000};  // MPEG-1; halved for MPEG-2

uint32_t BigEndian32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

// MPEG-1 or MPEG-2 Layer III only: the only frames our encoder is asked for.
bool ParseFrameHeader(const uint8_t* p, FrameHeader* h) {
  const int version = (p[1] >> 3) & 3, layer = (p[1] >> 1) & 3;
  const int rateIndex = (p[2] >> 4) & 15, sampleIndex = (p[2] >> 2) & 3;
  if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0 || version < 2 || layer != 1 ||
      kBitRates[0][rateIndex] == 0 || sampleIndex == 3) {
    return false;
  }
  h->mpegVersion = version == 3 ? 1 : 2;
  h->bitRateKbps = kBitRates[h->mpegVersion - 1][rateIndex];
  h->sampleRate = kSampleRates[sampleIndex] / h->mpegVersion;
  h->crc = (p[1] & 1) == 0;
  h->privateBit = p[2] & 1;
  h->channelMode = (p[3] >> 6) & 3;
  h->copyright = (p[3] >> 3) & 1;
  h->original = (p[3] >> 2) & 1;
  const int slots = h->mpegVersion == 1 ? 144 : 72;
  const int padding = (p[2] >> 1) & 1;
  h->length = static_cast<size_t>(slots * h->bitRateKbps * 1000 / h->sampleRate + padding);
  return true;
}

}  // namespace

Mp3Walk WalkMp3(const std::vector<uint8_t>& bytes) {
  Mp3Walk walk;
  size_t end = bytes.size();
  if (end >= 128 && std::memcmp(&bytes[end - 128], "TAG", 3) == 0) {
    walk.hasId3v1 = true;
    end -= 128;
  }
  size_t at = 0;
  FrameHeader h;
  while (at + 4 <= end && ParseFrameHeader(&bytes[at], &h) && at + h.length <= end) {
    walk.frames.push_back(h);
    at += h.length;
  }
  walk.endsCleanly = !walk.frames.empty() && at == end;
  if (walk.frames.empty()) return walk;
  // Behind the header and the side information; a CRC may or may not move it.
  const FrameHeader& first = walk.frames[0];
  const bool mono = first.channelMode == 3;
  const size_t side = first.mpegVersion == 1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
  for (size_t tag : {4 + side, 6 + side}) {
    if (tag + 12 > first.length) continue;
    const std::string id(reinterpret_cast<const char*>(&bytes[tag]), 4);
    if (id == "Xing" || id == "Info") {
      walk.vbrTagId = id;
      if (BigEndian32(&bytes[tag + 4]) & 1) walk.vbrFrameCount = BigEndian32(&bytes[tag + 8]);
      break;
    }
  }
  return walk;
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return bytes;
  uint8_t block[65536];
  size_t got;
  while ((got = std::fread(block, 1, sizeof(block), file)) > 0) {
    bytes.insert(bytes.end(), block, block + got);
  }
  std::fclose(file);
  return bytes;
}

std::string RunCommand(const std::string& command, int* status) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  char block[65536];
  size_t got;
  while (pipe && (got = std::fread(block, 1, sizeof(block), pipe)) > 0) {
    output.append(block, got);
  }
  const int raw = pipe ? pclose(pipe) : -1;
  if (status) *status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return output;
}

DecodedPcm RunDecoder(const std::string& command) {
  DecodedPcm result;
  FILE* pipe = popen(command.c_str(), "r");
  static int16_t block[32768];
  size_t got;
  while (pipe && (got = std::fread(block, 2, sizeof(block) / 2, pipe)) > 0) {
    result.samples += got;
    for (size_t i = 0; i < got; ++i) result.nonZero += block[i] != 0;
  }
  const int raw = pipe ? pclose(pipe) : -1;
  result.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return result;
}

std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

ScratchDirectory::ScratchDirectory() {
  char pattern[] = "/tmp/hushmaker-test-XXXXXX";
  if (mkdtemp(pattern)) path_ = pattern;
}

ScratchDirectory::~ScratchDirectory() {
  if (!path_.empty()) RunCommand("rm -rf " + ShellQuote(path_));
}

std::vector<std::string> ScratchDirectory::List() const {
  std::vector<std::string> names;
  DIR* dir = opendir(path_.c_str());
  while (dirent* entry = dir ? readdir(dir) : nullptr) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  if (dir) closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}
