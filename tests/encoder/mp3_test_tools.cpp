// Test tools: frame walker, command runner, scratch directories.
#include "mp3_test_tools.h"

#include <dirent.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr size_t FW_HEADER_BYTES = 4;
constexpr size_t FW_ID3V1_BYTES = 128;
constexpr uint32_t FW_XING_FRAMES_FLAG = 0x1;

// Bit rates in kbit/s by [MPEG-1 ? 0 : 1][layer - 1][index].
const int kBitRates[2][3][16] = {
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}},
};
const int kSampleRates[3] = {44100, 48000, 32000};  // MPEG-1; halved for 2, quartered for 2.5

uint32_t BigEndian32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

// Where the Xing/Info tag sits: behind the header and the side information. Encoders
// differ on whether a CRC moves it, and decoders accept both places.
size_t VbrTagOffset(const FrameHeader& h) {
  const bool mono = h.channelMode == 3;
  size_t sideInfo = h.mpegVersion == 1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
  return FW_HEADER_BYTES + sideInfo;
}

}  // namespace

bool ParseFrameHeader(const uint8_t* p, FrameHeader* h) {
  if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return false;
  const int versionBits = (p[1] >> 3) & 3;
  const int layerBits = (p[1] >> 1) & 3;
  const int rateIndex = (p[2] >> 4) & 15;
  const int sampleIndex = (p[2] >> 2) & 3;
  if (versionBits == 1 || layerBits == 0 || rateIndex == 0 || rateIndex == 15 ||
      sampleIndex == 3) {
    return false;
  }
  FrameHeader out;
  out.mpegVersion = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
  out.layer = 4 - layerBits;
  out.crc = (p[1] & 1) == 0;
  out.bitRateKbps = kBitRates[out.mpegVersion == 1 ? 0 : 1][out.layer - 1][rateIndex];
  out.sampleRate = kSampleRates[sampleIndex] / (out.mpegVersion == 1 ? 1 : out.mpegVersion == 2 ? 2 : 4);
  out.padding = (p[2] >> 1) & 1;
  out.privateBit = p[2] & 1;
  out.channelMode = (p[3] >> 6) & 3;
  out.copyright = (p[3] >> 3) & 1;
  out.original = (p[3] >> 2) & 1;
  out.emphasis = p[3] & 3;
  const int bitsPerSecond = out.bitRateKbps * 1000;
  if (out.layer == 1) {
    out.length = static_cast<size_t>((12 * bitsPerSecond / out.sampleRate + out.padding) * 4);
  } else {
    const int factor = (out.layer == 3 && out.mpegVersion != 1) ? 72 : 144;
    out.length = static_cast<size_t>(factor * bitsPerSecond / out.sampleRate + out.padding);
  }
  *h = out;
  return true;
}

Mp3Walk WalkMp3(const std::vector<uint8_t>& bytes) {
  Mp3Walk walk;
  size_t end = bytes.size();
  if (end >= FW_ID3V1_BYTES && std::memcmp(&bytes[end - FW_ID3V1_BYTES], "TAG", 3) == 0) {
    walk.hasId3v1 = true;
    end -= FW_ID3V1_BYTES;
  }
  size_t at = 0;
  while (at + FW_HEADER_BYTES <= end) {
    FrameHeader h;
    if (!ParseFrameHeader(&bytes[at], &h) || at + h.length > end) break;
    walk.frames.push_back(h);
    walk.offsets.push_back(at);
    at += h.length;
  }
  walk.endsCleanly = !walk.frames.empty() && at == end;
  if (!walk.frames.empty()) {
    for (size_t shift : {size_t{0}, size_t{2}}) {
      const size_t tag = VbrTagOffset(walk.frames[0]) + shift;
      if (tag + 12 > walk.frames[0].length) continue;
      const std::string id(reinterpret_cast<const char*>(&bytes[tag]), 4);
      if (id == "Xing" || id == "Info") {
        walk.vbrTagId = id;
        const uint32_t flags = BigEndian32(&bytes[tag + 4]);
        walk.vbrHasFrameCount = (flags & FW_XING_FRAMES_FLAG) != 0;
        if (walk.vbrHasFrameCount) walk.vbrFrameCount = BigEndian32(&bytes[tag + 8]);
        break;
      }
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
  if (!pipe) {
    if (status) *status = -1;
    return output;
  }
  char block[65536];
  size_t got;
  while ((got = std::fread(block, 1, sizeof(block), pipe)) > 0) output.append(block, got);
  const int raw = pclose(pipe);
  if (status) *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return output;
}

DecodedPcm RunDecoder(const std::string& command) {
  DecodedPcm result;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  static int16_t block[32768];
  size_t got;
  while ((got = std::fread(block, 2, sizeof(block) / 2, pipe)) > 0) {
    result.samples += got;
    for (size_t i = 0; i < got; ++i) result.nonZero += block[i] != 0;
  }
  const int raw = pclose(pipe);
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return result;
}

std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

ScratchDirectory::ScratchDirectory() {
  char pattern[] = "/tmp/hushmaker-test-XXXXXX";
  const char* made = mkdtemp(pattern);
  if (made) path_ = made;
}

ScratchDirectory::~ScratchDirectory() {
  if (!path_.empty()) RunCommand("chmod -R u+rwx " + ShellQuote(path_) + " && rm -rf " + ShellQuote(path_));
}

std::vector<std::string> ScratchDirectory::List() const {
  std::vector<std::string> names;
  DIR* dir = opendir(path_.c_str());
  if (!dir) return names;
  while (dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}
