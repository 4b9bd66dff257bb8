// The MPEG audio frame header reader, the Info tag's place and seek table, and the ID3v2
// tag's length.
#include "encoder/mpeg_frame.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The header's fields: 11 sync bits, version 2, layer 2, no-CRC 1 | bit rate 4, sample
// rate 2, padding 1, private 1 | mode 2, and what changes no length.
constexpr int MPEG_VERSION_25 = 0;
constexpr int MPEG_VERSION_RESERVED = 1;
constexpr int MPEG_VERSION_2 = 2;
constexpr int MPEG_LAYER_RESERVED = 0;  // the field counts layers down: 3 is Layer I
constexpr int MPEG_RATE_INDEX_FREE = 0;
constexpr int MPEG_RATE_INDEX_BAD = 15;
constexpr int MPEG_SAMPLE_INDEX_RESERVED = 3;

constexpr size_t ID3V2_FOOTER_BYTES = 10;
constexpr uint8_t ID3V2_FOOTER_FLAG = 0x10;

// kbit/s by [MPEG-1 or not][layer - 1][index]; 0 where the index is free or bad.
constexpr int MPEG_BIT_RATES[2][3][16] = {
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}},
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
};

// Hz by the version field and the sample rate index.
constexpr int MPEG_SAMPLE_RATES[4][3] = {
    {11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};

MpegVersion VersionOfField(int field) {
  if (field == MPEG_VERSION_25) return MpegVersion::Mpeg25;
  return field == MPEG_VERSION_2 ? MpegVersion::Mpeg2 : MpegVersion::Mpeg1;
}

// Layer I counts in slots of four bytes, 384 samples a frame; Layers II and III in bytes,
// 1,152 samples, but only 576 for Layer III after MPEG-1.
void MeasureFrame(MpegFrameHeader* header) {
  const bool mpeg1 = header->version == MpegVersion::Mpeg1;
  const int padding = header->padding ? 1 : 0;
  const long bitsPerSecond = header->bitRate * 1000L;
  if (header->layer == 1) {
    header->length = static_cast<size_t>((12 * bitsPerSecond / header->sampleRate + padding) * 4);
    header->samples = 384;
    return;
  }
  const bool halfFrame = header->layer == 3 && !mpeg1;
  header->samples = halfFrame ? 576 : 1152;
  header->length =
      static_cast<size_t>((halfFrame ? 72 : 144) * bitsPerSecond / header->sampleRate + padding);
  if (header->layer == 3) {
    const bool mono = header->mode == MpegChannelMode::Mono;
    header->sideInfo = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
  }
}

}  // namespace

bool ReadMpegHeaderFields(const uint8_t* bytes, size_t available, MpegHeaderFields* fields) {
  *fields = MpegHeaderFields();
  if (available < MPEG_HEADER_BYTES || bytes[0] != 0xFF || (bytes[1] & 0xE0) != 0xE0) {
    return false;
  }
  fields->versionField = (bytes[1] >> 3) & 3;
  fields->layerField = (bytes[1] >> 1) & 3;
  fields->crcProtected = (bytes[1] & 1) == 0;
  fields->rateIndex = (bytes[2] >> 4) & 15;
  fields->sampleIndex = (bytes[2] >> 2) & 3;
  fields->padding = (bytes[2] >> 1) & 1;
  fields->modeField = bytes[3] >> 6;
  return true;
}

int MpegBitRate(MpegVersion version, int layer, int rateIndex) {
  if (layer < 1 || layer > 3 || rateIndex < 0 || rateIndex > 15) return 0;
  return MPEG_BIT_RATES[version == MpegVersion::Mpeg1][layer - 1][rateIndex];
}

int MpegSampleRate(int versionField, int sampleIndex) {
  if (versionField < 0 || versionField > 3 || sampleIndex < 0 || sampleIndex > 2) return 0;
  return MPEG_SAMPLE_RATES[versionField][sampleIndex];
}

bool ReadMpegFrameHeader(const uint8_t* bytes, size_t available, MpegFrameHeader* header) {
  *header = MpegFrameHeader();
  MpegHeaderFields fields;
  if (!ReadMpegHeaderFields(bytes, available, &fields) ||
      fields.versionField == MPEG_VERSION_RESERVED || fields.layerField == MPEG_LAYER_RESERVED ||
      fields.rateIndex == MPEG_RATE_INDEX_FREE || fields.rateIndex == MPEG_RATE_INDEX_BAD ||
      fields.sampleIndex == MPEG_SAMPLE_INDEX_RESERVED) {
    return false;
  }
  MpegFrameHeader read;
  read.version = VersionOfField(fields.versionField);
  read.layer = 4 - fields.layerField;
  read.crcProtected = fields.crcProtected;
  read.bitRate = MpegBitRate(read.version, read.layer, fields.rateIndex);
  read.sampleRate = MpegSampleRate(fields.versionField, fields.sampleIndex);
  read.padding = fields.padding;
  read.mode = static_cast<MpegChannelMode>(fields.modeField);
  MeasureFrame(&read);
  *header = read;
  return true;
}

size_t FindInfoTag(const uint8_t* frame, size_t available) {
  MpegFrameHeader header;
  if (!ReadMpegFrameHeader(frame, available, &header) || header.layer != 3 ||
      header.length > available) {
    return 0;
  }
  const size_t mark = MPEG_HEADER_BYTES + header.sideInfo;
  if (mark + INFO_MARK_BYTES > header.length) return 0;
  if (std::memcmp(frame + mark, "Xing", 4) != 0 && std::memcmp(frame + mark, "Info", 4) != 0) {
    return 0;
  }
  return mark;
}

size_t FindFullInfoTag(const uint8_t* frame, size_t length) {
  MpegFrameHeader header;
  if (!ReadMpegFrameHeader(frame, length, &header) || header.length != length) return 0;
  const size_t mark = FindInfoTag(frame, length);
  return mark != 0 && mark + INFO_LAME_TAG_END <= length ? mark : 0;
}

uint32_t ReadBigEndian32(const uint8_t* at) {
  return uint32_t{at[0]} << 24 | uint32_t{at[1]} << 16 | uint32_t{at[2]} << 8 | at[3];
}

uint16_t ReadBigEndian16(const uint8_t* at) {
  return static_cast<uint16_t>(at[0] << 8 | at[1]);
}

void WriteBigEndian32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

void WriteBigEndian16(uint8_t* at, uint16_t value) {
  at[0] = static_cast<uint8_t>(value >> 8);
  at[1] = static_cast<uint8_t>(value);
}

void XingSeekTable::Add(int kbps, uint64_t count) {
  while (count > 0) {
    const uint64_t step = std::min<uint64_t>(count, static_cast<uint64_t>(want - seen));
    frames += static_cast<uint32_t>(step);
    sum += static_cast<int64_t>(step) * kbps;
    seen += static_cast<int64_t>(step);
    count -= step;
    if (seen < want) return;
    slot[used++] = sum;
    seen = 0;
    if (used == SLOTS) {
      for (int i = 1; i < SLOTS; i += 2) slot[i / 2] = slot[i];
      want *= 2;
      used /= 2;
    }
  }
}

void XingSeekTable::Fill(uint8_t* toc) const {
  std::memset(toc, 0, INFO_TOC_ENTRIES);
  if (used <= 0) return;
  for (size_t i = 1; i < INFO_TOC_ENTRIES; ++i) {
    const float share = static_cast<float>(i) / static_cast<float>(INFO_TOC_ENTRIES);
    int index = static_cast<int>(std::floor(share * static_cast<float>(used)));
    if (index > used - 1) index = used - 1;
    const float before = static_cast<float>(slot[index]);
    const float total = static_cast<float>(sum);
    const int point = static_cast<int>(256.0 * before / total);
    toc[i] = static_cast<uint8_t>(std::min(point, 255));
  }
}

size_t FirstFrameOffset(const uint8_t* start, size_t available) {
  if (available < ID3V2_HEADER_BYTES || std::memcmp(start, "ID3", 3) != 0) return 0;
  const size_t body = (size_t{start[6]} & 0x7F) << 21 | (size_t{start[7]} & 0x7F) << 14 |
                      (size_t{start[8]} & 0x7F) << 7 | (size_t{start[9]} & 0x7F);
  const size_t footer = (start[5] & ID3V2_FOOTER_FLAG) ? ID3V2_FOOTER_BYTES : 0;
  return ID3V2_HEADER_BYTES + body + footer;
}
