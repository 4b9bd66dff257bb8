// Silence told from a file's bytes. An MPEG Layer III frame whose granules code no bits of
// spectrum (part2_3_length 0) decodes to exact silence, and that is how encoders code
// digital silence; any coded bits are taken for sound, however quiet.
#include "checker/sound_content.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <algorithm>

#include "checker/byte_source.h"
#include "encoder/mpeg_frame.h"

namespace {

constexpr size_t SOUND_PART_LENGTH_BITS = 12;
// Side information before the first granule: main_data_begin, private bits and, in
// MPEG-1, scfsi; then each granule's channel record.
constexpr size_t SOUND_MPEG1_LEAD_BITS_MONO = 9 + 5 + 4;
constexpr size_t SOUND_MPEG1_LEAD_BITS_STEREO = 9 + 3 + 8;
constexpr size_t SOUND_MPEG2_LEAD_BITS_MONO = 8 + 1;
constexpr size_t SOUND_MPEG2_LEAD_BITS_STEREO = 8 + 2;
constexpr size_t SOUND_MPEG1_GRANULE_BITS = 59;
constexpr size_t SOUND_MPEG2_GRANULE_BITS = 63;
constexpr size_t SOUND_CRC_BYTES = 2;
constexpr size_t SOUND_ID3V1_BYTES = 128;

constexpr size_t SOUND_WAV_CHUNK_HEADER = 8;
constexpr size_t SOUND_WAV_FMT_BITS = 14;  // bits a sample, after format, channels, rates, block
constexpr size_t SOUND_WAV_FMT_BYTES = 16;
constexpr int SOUND_WAV_PCM = 1;
constexpr size_t SOUND_SCAN_BYTES = 64 * 1024;

unsigned ReadBits(const uint8_t* bytes, size_t bit, size_t count) {
  unsigned value = 0;
  for (size_t at = bit; at < bit + count; ++at) {
    value = value << 1 | ((bytes[at / 8] >> (7 - at % 8)) & 1);
  }
  return value;
}

// Whether a Layer III frame codes any spectrum.
bool CodesSound(const MpegFrameHeader& header, const uint8_t* sideInfo) {
  const bool mono = header.mode == MpegChannelMode::Mono;
  const bool mpeg1 = header.version == MpegVersion::Mpeg1;
  const int channels = mono ? 1 : 2;
  const int granules = mpeg1 ? 2 : 1;
  size_t bit = mpeg1 ? (mono ? SOUND_MPEG1_LEAD_BITS_MONO : SOUND_MPEG1_LEAD_BITS_STEREO)
                     : (mono ? SOUND_MPEG2_LEAD_BITS_MONO : SOUND_MPEG2_LEAD_BITS_STEREO);
  for (int record = 0; record < granules * channels; ++record) {
    if (ReadBits(sideInfo, bit, SOUND_PART_LENGTH_BITS) != 0) return true;
    bit += mpeg1 ? SOUND_MPEG1_GRANULE_BITS : SOUND_MPEG2_GRANULE_BITS;
  }
  return false;
}

SoundContent FindMp3Content(ByteSource& source) {
  const uint64_t size = source.Size();
  const uint8_t* start = source.View(0, std::min<uint64_t>(size, ID3V2_HEADER_BYTES));
  uint64_t at = start ? FirstFrameOffset(start, std::min<uint64_t>(size, ID3V2_HEADER_BYTES)) : 0;
  const uint8_t* tail = source.Tail(SOUND_ID3V1_BYTES);
  const bool tagged = tail && std::memcmp(tail, "TAG", 3) == 0;
  const uint64_t end = tagged && size - SOUND_ID3V1_BYTES >= at ? size - SOUND_ID3V1_BYTES : size;
  uint64_t frames = 0;
  while (at < end) {
    // A last frame cut short holds too little to tell; the frames before it tell.
    if (end - at < MPEG_HEADER_BYTES) break;
    MpegFrameHeader header;
    const uint8_t* bytes = source.View(at, MPEG_HEADER_BYTES);
    if (!bytes || !ReadMpegFrameHeader(bytes, MPEG_HEADER_BYTES, &header) || header.layer != 3) {
      return SoundContent::Unknown;
    }
    if (header.length > end - at) break;
    bytes = source.View(at, header.length);
    const size_t sideStart = MPEG_HEADER_BYTES + (header.crcProtected ? SOUND_CRC_BYTES : 0);
    if (!bytes || sideStart + header.sideInfo > header.length) return SoundContent::Unknown;
    if (CodesSound(header, bytes + sideStart)) return SoundContent::Sound;
    ++frames;
    at += header.length;
  }
  return frames ? SoundContent::Silence : SoundContent::Unknown;
}

uint32_t ReadLittle32(const uint8_t* at) {
  return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}

// Whether any sample of a PCM data chunk is other than silence (0, or 128 in 8 bits).
SoundContent ScanSamples(ByteSource& source, uint64_t at, uint64_t length, int bits) {
  const uint8_t silent = bits == 8 ? 0x80 : 0;
  while (length > 0) {
    const size_t count = static_cast<size_t>(std::min<uint64_t>(length, SOUND_SCAN_BYTES));
    const uint8_t* bytes = source.View(at, count);
    if (!bytes) return SoundContent::Unknown;
    for (size_t index = 0; index < count; ++index) {
      if (bytes[index] != silent) return SoundContent::Sound;
    }
    at += count;
    length -= count;
  }
  return SoundContent::Silence;
}

SoundContent FindWavContent(ByteSource& source) {
  const uint8_t* riff = source.View(0, 12);
  if (!riff || std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0) {
    return SoundContent::Unknown;
  }
  int bits = 0;
  for (uint64_t at = 12;;) {
    const uint8_t* chunk = source.View(at, SOUND_WAV_CHUNK_HEADER);
    if (!chunk) return SoundContent::Unknown;
    const uint64_t length = ReadLittle32(chunk + 4);
    const uint64_t body = at + SOUND_WAV_CHUNK_HEADER;
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      const uint8_t* fields = source.View(body, SOUND_WAV_FMT_BYTES);
      if (!fields || (fields[0] | fields[1] << 8) != SOUND_WAV_PCM) return SoundContent::Unknown;
      bits = fields[SOUND_WAV_FMT_BITS] | fields[SOUND_WAV_FMT_BITS + 1] << 8;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (bits != 8 && bits != 16) return SoundContent::Unknown;
      return ScanSamples(source, body, std::min(length, source.Size() - body), bits);
    }
    at = body + length + (length & 1);
  }
}

SoundContent FindContent(ByteSource& source, bool mp3) {
  if (source.Size() == 0) return SoundContent::Silence;
  return mp3 ? FindMp3Content(source) : FindWavContent(source);
}

}  // namespace

SoundContent FindSoundContent(const uint8_t* data, uint64_t size, bool mp3) {
  ByteSource source(data, size);
  return FindContent(source, mp3);
}

SoundContent FindFileSoundContent(const std::string& path, std::string* reason) {
  std::error_code error;
  const uint64_t size = std::filesystem::file_size(std::filesystem::u8path(path), error);
  std::FILE* file = error ? nullptr : std::fopen(path.c_str(), "rb");
  if (!file) {
    *reason = error ? error.message() : std::strerror(errno);
    return SoundContent::Unreadable;
  }
  ByteSource source(file, size);
  const size_t dot = path.find_last_of('.');
  const std::string extension = dot == std::string::npos ? "" : path.substr(dot);
  const bool mp3 = extension.size() == 4 && (extension[1] | 0x20) == 'm' &&
                   (extension[2] | 0x20) == 'p' && extension[3] == '3';
  SoundContent content = FindContent(source, mp3);
  if (source.Failed()) {
    *reason = std::strerror(source.Error());
    content = SoundContent::Unreadable;
  }
  std::fclose(file);
  return content;
}
