// The six stream calls implemented over libmp3lame's native interface.
#include "encoder/encoder_stream.h"

#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

namespace {

constexpr uint8_t ENC_DLL_MAJOR_VERSION = 1;
constexpr uint8_t ENC_DLL_MINOR_VERSION = 0;
constexpr uint8_t ENC_RELEASE_DAY = 1;
constexpr uint8_t ENC_RELEASE_MONTH = 11;
constexpr uint16_t ENC_RELEASE_YEAR = 2026;

// Samples per channel handed to the library in one go. The library converts its input
// into an internal buffer as large as each call's sample count, so a whole length in one
// call would cost four bytes per sample; a few hundred frames keep that small.
constexpr size_t ENC_SAMPLES_PER_PASS = 1152 * 256;
// Worst-case output of one pass, by the library's own rule (1.25 x samples + 7,200).
constexpr size_t ENC_PASS_OUTPUT_BYTES = ENC_SAMPLES_PER_PASS * 5 / 4 + 7200;

// MPEG audio frame header fields, read when the Xing/Info frame is put into a file.
constexpr size_t ENC_HEADER_BYTES = 4;
constexpr size_t ENC_ID3V2_HEADER_BYTES = 10;
constexpr uint8_t ENC_ID3V2_FOOTER_FLAG = 0x10;
constexpr size_t ENC_MAX_FRAME_BYTES = 1441;  // MPEG-1 Layer III, 320 kbit/s, 32 kHz, padded

// Fields of the Xing/Info frame, counted from its "Xing" or "Info" mark, which follows the
// frame header and side information. Numbers are big-endian.
constexpr size_t ENC_XING_FRAMES = 8;  // behind the mark and four flag bytes
constexpr size_t ENC_XING_BYTES = 12;  // the whole stream, this frame included
constexpr size_t ENC_XING_TOC = 16;
constexpr size_t ENC_TOC_ENTRIES = 100;
constexpr size_t ENC_LAME_MUSIC_LENGTH = 148;  // the stream's bytes again
constexpr size_t ENC_LAME_MUSIC_CRC = 152;     // CRC-16 of every byte behind this frame
constexpr size_t ENC_LAME_TAG_CRC = 154;       // CRC-16 of the frame up to this field
constexpr size_t ENC_LAME_TAG_END = 156;
// Between the table and the music length: VBR scale 4, encoder version 9, revision 1,
// lowpass 1, peak 4, two gains 2 + 2, flags 1, bit rate 1, delay and padding 3, misc 1,
// gain 1, preset 2.
static_assert(ENC_XING_TOC + ENC_TOC_ENTRIES + 4 + 9 + 1 + 1 + 4 + 2 + 2 + 1 + 1 + 3 + 1 + 1 + 2 ==
                  ENC_LAME_MUSIC_LENGTH,
              "Info frame layout");
static_assert(ENC_LAME_MUSIC_CRC + 2 == ENC_LAME_TAG_CRC &&
                  ENC_LAME_TAG_CRC + 2 == ENC_LAME_TAG_END,
              "Info frame layout");

// The encoder's seek table has this many slots (see SeekTable).
constexpr int ENC_SEEK_SLOTS = 400;

// A stream whose input is silence hands the library this many samples per channel at a
// time until the library's output settles, and counts it settled only after this many
// audio frames, the last three of them byte for byte alike.
constexpr size_t ENC_SETTLING_PASS = 1152 * 4;
constexpr uint32_t ENC_FRAMES_BEFORE_REPEAT = 24;
constexpr size_t ENC_SETTLED_FRAMES_ALIKE = 3;
constexpr size_t ENC_RECENT_BYTES = ENC_SETTLED_FRAMES_ALIKE * ENC_MAX_FRAME_BYTES;
// Repeated frames are first laid out this far, then copied on in blocks of that size.
constexpr size_t ENC_REPEAT_BLOCK_BYTES = 64 * 1024;

void IgnoreLibraryReport(const char*, va_list) {}

// CRC-16 as the Info frame uses it: polynomial x^16 + x^15 + x^2 + 1, bits reflected,
// starting from 0.
struct CrcTable {
  uint16_t entry[256] = {};
  constexpr CrcTable() {
    for (unsigned byte = 0; byte < 256; ++byte) {
      unsigned crc = byte;
      for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0xA001u : crc >> 1;
      entry[byte] = static_cast<uint16_t>(crc);
    }
  }
};
constexpr CrcTable ENC_CRC_TABLE;
static_assert(ENC_CRC_TABLE.entry[1] == 0xC0C1 && ENC_CRC_TABLE.entry[255] == 0x4040,
              "CRC-16 table");

uint16_t UpdateCrc(uint16_t crc, const uint8_t* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    crc = static_cast<uint16_t>((crc >> 8) ^ ENC_CRC_TABLE.entry[(crc ^ bytes[i]) & 0xFF]);
  }
  return crc;
}

// The CRC after a block of bytes is an affine function of the CRC before it (a 16 x 16 bit
// matrix and a constant), so the CRC over a block repeated m times takes log m steps.
struct CrcStep {
  uint16_t column[16] = {};  // what each bit of the CRC before becomes
  uint16_t constant = 0;

  uint16_t Apply(uint16_t crc) const {
    uint16_t result = constant;
    for (int bit = 0; bit < 16; ++bit) {
      if (crc >> bit & 1) result ^= column[bit];
    }
    return result;
  }
};

// later after earlier.
CrcStep ComposeCrcSteps(const CrcStep& later, const CrcStep& earlier) {
  CrcStep both;
  both.constant = later.Apply(earlier.constant);
  for (int bit = 0; bit < 16; ++bit) {
    both.column[bit] = static_cast<uint16_t>(later.Apply(earlier.column[bit]) ^ later.constant);
  }
  return both;
}

uint16_t UpdateCrcRepeated(uint16_t crc, const uint8_t* block, size_t length, uint64_t times) {
  CrcStep once;
  once.constant = UpdateCrc(0, block, length);
  for (int bit = 0; bit < 16; ++bit) {
    once.column[bit] = static_cast<uint16_t>(
        UpdateCrc(static_cast<uint16_t>(1u << bit), block, length) ^ once.constant);
  }
  CrcStep all;  // identity
  for (int bit = 0; bit < 16; ++bit) all.column[bit] = static_cast<uint16_t>(1u << bit);
  for (; times > 0; times >>= 1) {
    if (times & 1) all = ComposeCrcSteps(once, all);
    once = ComposeCrcSteps(once, once);
  }
  return all.Apply(crc);
}

uint32_t ReadBigEndian32(const uint8_t* at) {
  return uint32_t{at[0]} << 24 | uint32_t{at[1]} << 16 | uint32_t{at[2]} << 8 | at[3];
}

void WriteBigEndian32(uint8_t* at, uint64_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

void WriteBigEndian16(uint8_t* at, uint16_t value) {
  at[0] = static_cast<uint8_t>(value >> 8);
  at[1] = static_cast<uint8_t>(value);
}

// The seek table as the encoder keeps it while it writes frames, so that the Info frame's
// table can be built for frames the encoder never saw: the running sum of the frames' bit
// rates is kept every `want` frames in 400 slots; when they are full, every second one is
// dropped and `want` doubles.
struct SeekTable {
  uint32_t frames = 0;
  int64_t sum = 0;
  int64_t seen = 0;
  int64_t want = 1;
  int used = 0;
  int64_t slot[ENC_SEEK_SLOTS] = {};

  void Add(int kbps, uint64_t count) {
    while (count > 0) {
      const uint64_t step = std::min<uint64_t>(count, static_cast<uint64_t>(want - seen));
      frames += static_cast<uint32_t>(step);
      sum += static_cast<int64_t>(step) * kbps;
      seen += static_cast<int64_t>(step);
      count -= step;
      if (seen < want) return;
      slot[used++] = sum;
      seen = 0;
      if (used == ENC_SEEK_SLOTS) {
        for (int i = 1; i < ENC_SEEK_SLOTS; i += 2) slot[i / 2] = slot[i];
        want *= 2;
        used /= 2;
      }
    }
  }

  // Entry 0 is always 0; entry i is where i percent of the frames start, in 256ths of the
  // stream, computed with the encoder's own float and double steps.
  void FillToc(uint8_t* toc) const {
    std::memset(toc, 0, ENC_TOC_ENTRIES);
    if (used <= 0) return;
    for (size_t i = 1; i < ENC_TOC_ENTRIES; ++i) {
      const float share = static_cast<float>(i) / static_cast<float>(ENC_TOC_ENTRIES);
      int index = static_cast<int>(std::floor(share * static_cast<float>(used)));
      if (index > used - 1) index = used - 1;
      const float before = static_cast<float>(slot[index]);
      const float total = static_cast<float>(sum);
      const int point = static_cast<int>(256.0 * before / total);
      toc[i] = static_cast<uint8_t>(std::min(point, 255));
    }
  }
};

// What one Layer III frame header says.
struct FrameShape {
  size_t length = 0;  // bytes, header included
  int kbps = 0;
  size_t sideInfo = 0;  // bytes of side information behind the header
};

// Reads a Layer III frame header; false when the four bytes are none.
bool ReadFrameHeader(const uint8_t* header, FrameShape* shape) {
  static const int kBitRates[2][16] = {
      {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},       // MPEG-2, 2.5
      {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},  // MPEG-1
  };
  static const int kSampleRates[4][3] = {
      {11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
  if (header[0] != 0xFF || (header[1] & 0xE0) != 0xE0) return false;
  const int version = (header[1] >> 3) & 3;  // 0: 2.5, 2: MPEG-2, 3: MPEG-1
  const int layer = (header[1] >> 1) & 3;    // 1: Layer III
  const int rateIndex = (header[2] >> 4) & 15;
  const int sampleIndex = (header[2] >> 2) & 3;
  const int padding = (header[2] >> 1) & 1;
  const bool mono = (header[3] >> 6) == 3;
  if (version == 1 || layer != 1 || sampleIndex == 3) return false;
  const bool mpeg1 = version == 3;
  const int bitRate = kBitRates[mpeg1 ? 1 : 0][rateIndex];
  const int sampleRate = kSampleRates[version][sampleIndex];
  if (bitRate == 0 || sampleRate == 0) return false;
  const int slotsFactor = mpeg1 ? 144 : 72;
  shape->length = static_cast<size_t>(slotsFactor * bitRate * 1000 / sampleRate + padding);
  shape->kbps = bitRate;
  shape->sideInfo = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
  return true;
}

// Where the "Xing" or "Info" mark of an Info frame starts; 0 when the frame has none with
// room for all its fields.
size_t InfoMarkOffset(const uint8_t* frame, size_t length) {
  FrameShape shape;
  if (length < ENC_HEADER_BYTES || !ReadFrameHeader(frame, &shape) || shape.length != length) {
    return 0;
  }
  const size_t mark = ENC_HEADER_BYTES + shape.sideInfo;
  if (mark + ENC_LAME_TAG_END > length) return 0;
  if (std::memcmp(frame + mark, "Xing", 4) != 0 && std::memcmp(frame + mark, "Info", 4) != 0) {
    return 0;
  }
  return mark;
}

// What a stream told that its input is silence learns from the library's output, so that
// once that output has settled into one frame repeated, the stream can repeat the frame
// itself and still write the Info frame the library would have written.
struct SilenceTrack {
  bool on = false;
  bool settled = false;
  bool lost = false;          // the output stopped being a chain of frames: never repeat
  uint64_t libraryBytes = 0;  // the library's output so far, its kept first frame included
  uint64_t nextHeaderAt = 0;  // where in that output the next frame header starts
  uint8_t header[ENC_HEADER_BYTES] = {};
  size_t headerHave = 0;
  bool firstFrameRead = false;
  uint64_t firstFrameBytes = 0;  // the kept first frame counts neither in CRC nor tables
  FrameShape lastFrame;
  std::vector<uint8_t> recent;  // the library's latest bytes
  SeekTable libraryTable;       // the library's frames only, to check its Info frame
  SeekTable fileTable;          // the frames of the file, repeated ones included
  uint16_t libraryCrc = 0;
  uint16_t fileCrc = 0;
  uint64_t addedFrames = 0;
  uint64_t addedBytes = 0;
};

// Follows the library's output: walks its frame headers, feeds the CRCs and keeps the
// latest bytes.
void TrackLibraryOutput(SilenceTrack* track, const uint8_t* bytes, size_t count) {
  for (size_t i = 0; i < count && !track->lost;) {
    const uint64_t at = track->libraryBytes + i;
    if (at < track->nextHeaderAt) {
      i += static_cast<size_t>(std::min<uint64_t>(count - i, track->nextHeaderAt - at));
      continue;
    }
    track->header[track->headerHave++] = bytes[i++];
    if (track->headerHave < ENC_HEADER_BYTES) continue;
    track->headerHave = 0;
    FrameShape shape;
    if (!ReadFrameHeader(track->header, &shape)) {
      track->lost = true;
      break;
    }
    if (track->firstFrameRead) {
      track->libraryTable.Add(shape.kbps, 1);
      track->fileTable.Add(shape.kbps, 1);
    } else {
      track->firstFrameRead = true;
      track->firstFrameBytes = shape.length;
    }
    track->lastFrame = shape;
    track->nextHeaderAt += shape.length;
  }
  if (track->firstFrameRead) {
    const uint64_t skip = track->firstFrameBytes > track->libraryBytes
                              ? track->firstFrameBytes - track->libraryBytes
                              : 0;
    if (skip < count) {
      track->libraryCrc = UpdateCrc(track->libraryCrc, bytes + skip, count - skip);
      track->fileCrc = UpdateCrc(track->fileCrc, bytes + skip, count - skip);
    }
  }
  track->libraryBytes += count;
  track->recent.insert(track->recent.end(), bytes, bytes + count);
  if (track->recent.size() > ENC_RECENT_BYTES) {
    track->recent.erase(track->recent.begin(),
                        track->recent.end() - static_cast<ptrdiff_t>(ENC_RECENT_BYTES));
  }
}

// Settled: well past the first frames, and the latest output is one frame's length of
// bytes repeated.
bool HasSettled(const SilenceTrack& track) {
  const size_t length = track.lastFrame.length;
  if (track.lost || track.libraryTable.frames < ENC_FRAMES_BEFORE_REPEAT || length == 0 ||
      track.recent.size() < ENC_SETTLED_FRAMES_ALIKE * length) {
    return false;
  }
  const uint8_t* last = track.recent.data() + track.recent.size() - length;
  for (size_t back = 1; back < ENC_SETTLED_FRAMES_ALIKE; ++back) {
    if (std::memcmp(last - back * length, last, length) != 0) return false;
  }
  return true;
}

}  // namespace

struct BEStream {
  lame_global_flags* lame = nullptr;
  uint32_t channels = 1;
  bool limited = false;  // unless limited, the caller's buffers are trusted
  uint32_t outputLimit = 0;
  bool writeVbrHeader = false;
  bool flushed = false;
  bool started = false;            // a chunk has been encoded
  std::vector<uint8_t> scratch;    // one pass of output before it is copied out
  std::vector<uint8_t> xingFrame;  // final Xing/Info frame, once flushed
  SilenceTrack silence;
};

namespace {

// The stream interface names the file for the Xing/Info frame only after the stream is
// closed, so the closed stream's frame waits here until beWriteVBRHeader takes it.
std::mutex pending_frame_mutex;
std::vector<uint8_t> pending_xing_frame;

bool IsUsable(HBE_STREAM stream) { return stream != nullptr && stream->lame != nullptr; }

// Copies a pass's output behind what the call has already written, within the limit.
BE_ERR AppendOutput(HBE_STREAM stream, const uint8_t* bytes, size_t count, uint8_t* output,
                    size_t* written) {
  if (count == 0) return BE_ERR_SUCCESSFUL;
  if (stream->limited && count > stream->outputLimit - *written) {
    return BE_ERR_BUFFER_TOO_SMALL;
  }
  std::memcpy(output + *written, bytes, count);
  *written += count;
  return BE_ERR_SUCCESSFUL;
}

BE_ERR ErrorOfLibraryResult(int result) {
  return result == -1 ? BE_ERR_BUFFER_TOO_SMALL : BE_ERR_INVALID_FORMAT_PARAMETERS;
}

MPEG_mode ModeOfConfig(int32_t nMode) {
  switch (nMode) {
    case BE_MP3_MODE_MONO:
      return MONO;
    case BE_MP3_MODE_JSTEREO:
      return JOINT_STEREO;
    case BE_MP3_MODE_DUALCHANNEL:
      return DUAL_CHANNEL;
    default:
      return STEREO;
  }
}

bool IsMpeg1Rate(uint32_t rate) { return rate == 32000 || rate == 44100 || rate == 48000; }

void ApplyBitRates(lame_global_flags* lame, const BE_CONFIG& config) {
  if (!config.bEnableVBR) {
    lame_set_VBR(lame, vbr_off);
    lame_set_brate(lame, static_cast<int>(config.dwBitrate));
    return;
  }
  switch (config.nVbrMethod) {
    case VBR_METHOD_OLD:
      lame_set_VBR(lame, vbr_rh);
      break;
    case VBR_METHOD_NEW:
    case VBR_METHOD_MTRH:
      lame_set_VBR(lame, vbr_mtrh);
      break;
    case VBR_METHOD_ABR:
      lame_set_VBR(lame, vbr_abr);
      lame_set_VBR_mean_bitrate_kbps(lame, static_cast<int>(config.dwVbrAbr_bps / 1000));
      break;
    default:
      lame_set_VBR(lame, vbr_default);
      break;
  }
  lame_set_VBR_q(lame, std::clamp(config.nVBRQuality, 0, 9));
  if (config.dwBitrate != 0) {
    // Otherwise the library treats the lowest rate as a hint and goes below it in silence.
    lame_set_VBR_min_bitrate_kbps(lame, static_cast<int>(config.dwBitrate));
    lame_set_VBR_hard_min(lame, 1);
  }
  if (config.dwMaxBitrate != 0) {
    lame_set_VBR_max_bitrate_kbps(lame, static_cast<int>(config.dwMaxBitrate));
  }
}

void ApplyConfig(lame_global_flags* lame, const BE_CONFIG& config, uint32_t channels) {
  lame_set_errorf(lame, IgnoreLibraryReport);
  lame_set_debugf(lame, IgnoreLibraryReport);
  lame_set_msgf(lame, IgnoreLibraryReport);

  lame_set_num_channels(lame, static_cast<int>(channels));
  lame_set_mode(lame, ModeOfConfig(config.nMode));
  lame_set_in_samplerate(lame, static_cast<int>(config.dwSampleRate));
  // Left alone, the library drops a low-quality VBR stream to a lower MPEG-2 rate;
  // an MPEG-1 request without a resample rate keeps the input rate.
  if (config.dwReSampleRate != 0) {
    lame_set_out_samplerate(lame, static_cast<int>(config.dwReSampleRate));
  } else if (config.dwMpegVersion == MPEG1 && IsMpeg1Rate(config.dwSampleRate)) {
    lame_set_out_samplerate(lame, static_cast<int>(config.dwSampleRate));
  }

  ApplyBitRates(lame, config);

  lame_set_copyright(lame, config.bCopyright ? 1 : 0);
  lame_set_original(lame, config.bOriginal ? 1 : 0);
  lame_set_error_protection(lame, config.bCRC ? 1 : 0);
  lame_set_extension(lame, config.bPrivate ? 1 : 0);
  lame_set_emphasis(lame, static_cast<int>(config.dwEmphasis));
  lame_set_strict_ISO(lame, config.bStrictIso ? 1 : 0);
  lame_set_disable_reservoir(lame, config.bNoRes ? 1 : 0);

  // The quality word counts only when its high byte is the complement of its low byte.
  const unsigned low = config.nQuality & 0xFFu;
  const unsigned high = (config.nQuality >> 8) & 0xFFu;
  if (high == (~low & 0xFFu) && low <= 9) lame_set_quality(lame, static_cast<int>(low));

  lame_set_bWriteVbrTag(lame, config.bWriteVBRHeader ? 1 : 0);
  lame_set_write_id3tag_automatic(lame, 0);
}

// Offset of the first audio frame: behind an ID3v2 tag when the file starts with one.
long FirstFrameOffset(const uint8_t* start, size_t length) {
  if (length < ENC_ID3V2_HEADER_BYTES || std::memcmp(start, "ID3", 3) != 0) return 0;
  const long body = (long{start[6]} & 0x7F) << 21 | (long{start[7]} & 0x7F) << 14 |
                    (long{start[8]} & 0x7F) << 7 | (long{start[9]} & 0x7F);
  const long footer = (start[5] & ENC_ID3V2_FOOTER_FLAG) ? 10 : 0;
  return static_cast<long>(ENC_ID3V2_HEADER_BYTES) + body + footer;
}

// Hands `count` samples per channel to the library and copies what it gives out.
BE_ERR EncodePass(HBE_STREAM stream, const int16_t* input, size_t count, uint8_t* output,
                  size_t* written) {
  int produced;
  if (stream->channels == 1) {
    produced = lame_encode_buffer(stream->lame, input, input, static_cast<int>(count),
                                  stream->scratch.data(), static_cast<int>(stream->scratch.size()));
  } else {
    produced = lame_encode_buffer_interleaved(stream->lame, const_cast<short*>(input),
                                              static_cast<int>(count), stream->scratch.data(),
                                              static_cast<int>(stream->scratch.size()));
  }
  if (produced < 0) return ErrorOfLibraryResult(produced);
  if (stream->silence.on) {
    TrackLibraryOutput(&stream->silence, stream->scratch.data(), static_cast<size_t>(produced));
  }
  return AppendOutput(stream, stream->scratch.data(), static_cast<size_t>(produced), output,
                      written);
}

// Writes `frames` more copies of the settled frame, as the library would have written them
// for that many more frames of silence. The library's output may end inside a frame, so the
// copy is its last frame's length of bytes, which continues it at any point.
BE_ERR RepeatSettledFrame(HBE_STREAM stream, uint64_t frames, uint8_t* output, size_t* written) {
  SilenceTrack& track = stream->silence;
  const size_t length = track.lastFrame.length;
  const uint64_t bytes = frames * length;
  if (bytes > UINT32_MAX - *written ||
      (stream->limited && bytes > stream->outputLimit - *written)) {
    return BE_ERR_BUFFER_TOO_SMALL;
  }
  const uint8_t* copy = track.recent.data() + track.recent.size() - length;
  uint8_t* start = output + *written;
  const size_t total = static_cast<size_t>(bytes);
  const size_t block = std::min(total, ENC_REPEAT_BLOCK_BYTES / length * length);
  std::memcpy(start, copy, length);
  for (size_t laid = length; laid < block;) {
    const size_t more = std::min(laid, block - laid);
    std::memcpy(start + laid, start, more);
    laid += more;
  }
  for (size_t laid = block; laid < total;) {
    const size_t more = std::min(block, total - laid);
    std::memcpy(start + laid, start, more);
    laid += more;
  }
  track.fileCrc = UpdateCrcRepeated(track.fileCrc, copy, length, frames);
  track.fileTable.Add(track.lastFrame.kbps, frames);
  track.addedFrames += frames;
  track.addedBytes += bytes;
  *written += total;
  return BE_ERR_SUCCESSFUL;
}

// Silence is handed to the library until its output settles; after that every whole
// frame's worth of samples is written as a copy of the settled frame, and only what is
// left over (less than a frame) goes to the library, which keeps it for its next frame.
// The samples are read only where they are handed to the library.
BE_ERR EncodeSilence(HBE_STREAM stream, size_t frames, const int16_t* samples, uint8_t* output,
                     size_t* written) {
  const size_t frameSamples = static_cast<size_t>(lame_get_framesize(stream->lame));
  for (size_t done = 0; done < frames;) {
    SilenceTrack& track = stream->silence;
    size_t pass = frames - done;
    if (track.settled) {
      const uint64_t whole = pass / frameSamples;
      if (whole > 0) {
        const BE_ERR repeated = RepeatSettledFrame(stream, whole, output, written);
        if (repeated != BE_ERR_SUCCESSFUL) return repeated;
        done += whole * frameSamples;
        pass -= whole * frameSamples;
        if (pass == 0) break;
      }
    } else {
      pass = std::min(pass, ENC_SETTLING_PASS);
    }
    const BE_ERR encoded =
        EncodePass(stream, samples + done * stream->channels, pass, output, written);
    if (encoded != BE_ERR_SUCCESSFUL) return encoded;
    done += pass;
    if (!track.settled) track.settled = HasSettled(track);
  }
  return BE_ERR_SUCCESSFUL;
}

// Turns the library's Info frame, made for the frames it encoded, into the frame for the
// whole stream. It first checks that the frame counts, table, length and CRC that the
// library wrote are exactly those followed here for its own output; false if not.
bool ExtendInfoFrame(const SilenceTrack& track, std::vector<uint8_t>* frame) {
  const size_t mark = InfoMarkOffset(frame->data(), frame->size());
  if (mark == 0 || track.lost || track.headerHave != 0 ||
      track.nextHeaderAt != track.libraryBytes) {
    return false;
  }
  uint8_t* info = frame->data() + mark;
  uint8_t toc[ENC_TOC_ENTRIES];
  track.libraryTable.FillToc(toc);
  const uint64_t libraryBytes = track.libraryBytes;
  const bool asFollowed =
      ReadBigEndian32(info + ENC_XING_FRAMES) == track.libraryTable.frames &&
      ReadBigEndian32(info + ENC_XING_BYTES) == static_cast<uint32_t>(libraryBytes) &&
      std::memcmp(info + ENC_XING_TOC, toc, ENC_TOC_ENTRIES) == 0 &&
      ReadBigEndian32(info + ENC_LAME_MUSIC_LENGTH) == static_cast<uint32_t>(libraryBytes) &&
      (info[ENC_LAME_MUSIC_CRC] << 8 | info[ENC_LAME_MUSIC_CRC + 1]) == track.libraryCrc;
  if (!asFollowed) return false;

  const uint64_t fileBytes = libraryBytes + track.addedBytes;
  WriteBigEndian32(info + ENC_XING_FRAMES, track.fileTable.frames);
  WriteBigEndian32(info + ENC_XING_BYTES, fileBytes);
  track.fileTable.FillToc(info + ENC_XING_TOC);
  WriteBigEndian32(info + ENC_LAME_MUSIC_LENGTH, fileBytes);
  WriteBigEndian16(info + ENC_LAME_MUSIC_CRC, track.fileCrc);
  WriteBigEndian16(info + ENC_LAME_TAG_CRC, UpdateCrc(0, frame->data(), mark + ENC_LAME_TAG_CRC));
  return true;
}

}  // namespace

BE_ERR beInitStream(const BE_CONFIG* pbeConfig, uint32_t* dwSamples, uint32_t* dwBufferSize,
                    HBE_STREAM* phbeStream) {
  if (dwSamples) *dwSamples = 0;
  if (dwBufferSize) *dwBufferSize = 0;
  if (phbeStream) *phbeStream = nullptr;
  if (!pbeConfig || !dwSamples || !dwBufferSize || !phbeStream) {
    return BE_ERR_INVALID_FORMAT_PARAMETERS;
  }
  {
    // From here on a frame left by an earlier stream can no longer be the one meant.
    std::lock_guard<std::mutex> lock(pending_frame_mutex);
    pending_xing_frame.clear();
  }
  const BE_CONFIG& config = *pbeConfig;
  if (config.dwConfig != BE_CONFIG_LAME || config.dwStructVersion < 1 ||
      config.dwStructSize < BE_CONFIG_SIZE) {
    return BE_ERR_INVALID_FORMAT;
  }

  BEStream* stream = new (std::nothrow) BEStream;
  if (!stream) return BE_ERR_NO_MORE_HANDLES;
  stream->lame = lame_init();
  if (!stream->lame) {
    delete stream;
    return BE_ERR_NO_MORE_HANDLES;
  }
  stream->channels = config.nMode == BE_MP3_MODE_MONO ? 1 : 2;
  stream->writeVbrHeader = config.bWriteVBRHeader != 0;
  ApplyConfig(stream->lame, config, stream->channels);
  if (lame_init_params(stream->lame) < 0) {
    lame_close(stream->lame);
    delete stream;
    return BE_ERR_INVALID_FORMAT_PARAMETERS;
  }
  try {
    stream->scratch.resize(ENC_PASS_OUTPUT_BYTES);
  } catch (const std::bad_alloc&) {
    lame_close(stream->lame);
    delete stream;
    return BE_ERR_NO_MORE_HANDLES;
  }

  const uint32_t samples = static_cast<uint32_t>(lame_get_framesize(stream->lame)) *
                           stream->channels;
  *dwSamples = samples;
  *dwBufferSize = samples * 5 / 4 + 7200;
  *phbeStream = stream;
  return BE_ERR_SUCCESSFUL;
}

BE_ERR beEncodeChunk(HBE_STREAM hbeStream, uint32_t nSamples, const int16_t* pSamples,
                     uint8_t* pOutput, uint32_t* pdwOutput) {
  if (pdwOutput) *pdwOutput = 0;
  if (!IsUsable(hbeStream) || hbeStream->flushed) return BE_ERR_INVALID_HANDLE;
  if (!pdwOutput || (nSamples != 0 && (!pSamples || !pOutput))) {
    return BE_ERR_INVALID_FORMAT_PARAMETERS;
  }

  hbeStream->started = true;
  const size_t channels = hbeStream->channels;
  const size_t frames = nSamples / channels;  // samples per channel
  size_t written = 0;
  if (hbeStream->silence.on) {
    const BE_ERR encoded = EncodeSilence(hbeStream, frames, pSamples, pOutput, &written);
    if (encoded != BE_ERR_SUCCESSFUL) return encoded;
  } else {
    for (size_t done = 0; done < frames;) {
      const size_t pass = std::min(ENC_SAMPLES_PER_PASS, frames - done);
      const BE_ERR encoded =
          EncodePass(hbeStream, pSamples + done * channels, pass, pOutput, &written);
      if (encoded != BE_ERR_SUCCESSFUL) return encoded;
      done += pass;
    }
  }
  *pdwOutput = static_cast<uint32_t>(written);
  return BE_ERR_SUCCESSFUL;
}

BE_ERR beDeinitStream(HBE_STREAM hbeStream, uint8_t* pOutput, uint32_t* pdwOutput) {
  if (pdwOutput) *pdwOutput = 0;
  if (!IsUsable(hbeStream) || hbeStream->flushed) return BE_ERR_INVALID_HANDLE;
  if (!pOutput || !pdwOutput) return BE_ERR_INVALID_FORMAT_PARAMETERS;

  const int produced = lame_encode_flush(hbeStream->lame, hbeStream->scratch.data(),
                                         static_cast<int>(hbeStream->scratch.size()));
  hbeStream->flushed = true;
  if (produced < 0) return ErrorOfLibraryResult(produced);
  SilenceTrack& silence = hbeStream->silence;
  if (silence.on) {
    TrackLibraryOutput(&silence, hbeStream->scratch.data(), static_cast<size_t>(produced));
  }
  size_t written = 0;
  const BE_ERR copied = AppendOutput(hbeStream, hbeStream->scratch.data(),
                                     static_cast<size_t>(produced), pOutput, &written);
  if (copied != BE_ERR_SUCCESSFUL) return copied;
  *pdwOutput = static_cast<uint32_t>(written);

  if (hbeStream->writeVbrHeader) {
    // Asked with no room, the library answers with the size the frame needs.
    const size_t needed = lame_get_lametag_frame(hbeStream->lame, nullptr, 0);
    if (needed > 0) {
      hbeStream->xingFrame.resize(needed);
      const size_t got =
          lame_get_lametag_frame(hbeStream->lame, hbeStream->xingFrame.data(), needed);
      if (got != needed) hbeStream->xingFrame.clear();
    }
    // A frame that cannot be made right for the repeated frames is no frame.
    if (silence.addedFrames > 0 && !ExtendInfoFrame(silence, &hbeStream->xingFrame)) {
      hbeStream->xingFrame.clear();
      return BE_ERR_INVALID_FORMAT;
    }
  }
  return BE_ERR_SUCCESSFUL;
}

BE_ERR beCloseStream(HBE_STREAM hbeStream) {
  if (!IsUsable(hbeStream)) return BE_ERR_INVALID_HANDLE;
  {
    // The slot holds this stream's frame now, or none when it made none.
    std::lock_guard<std::mutex> lock(pending_frame_mutex);
    pending_xing_frame.swap(hbeStream->xingFrame);
    hbeStream->xingFrame.clear();
  }
  lame_close(hbeStream->lame);
  hbeStream->lame = nullptr;
  delete hbeStream;
  return BE_ERR_SUCCESSFUL;
}

void beVersion(BE_VERSION* pbeVersion) {
  if (!pbeVersion) return;
  std::memset(pbeVersion, 0, sizeof(*pbeVersion));
  lame_version_t engine;
  get_lame_version_numerical(&engine);
  pbeVersion->byDLLMajorVersion = ENC_DLL_MAJOR_VERSION;
  pbeVersion->byDLLMinorVersion = ENC_DLL_MINOR_VERSION;
  pbeVersion->byMajorVersion = static_cast<uint8_t>(engine.major);
  pbeVersion->byMinorVersion = static_cast<uint8_t>(engine.minor);
  pbeVersion->byDay = ENC_RELEASE_DAY;
  pbeVersion->byMonth = ENC_RELEASE_MONTH;
  pbeVersion->wYear = ENC_RELEASE_YEAR;
  pbeVersion->byAlphaLevel = static_cast<uint8_t>(engine.alpha);
  pbeVersion->byBetaLevel = static_cast<uint8_t>(engine.beta);
  const char* url = get_lame_url();
  snprintf(pbeVersion->zHomepage, sizeof(pbeVersion->zHomepage), "%s", url ? url : "");
}

BE_ERR beWriteVBRHeader(const char* lpszFileName) {
  std::vector<uint8_t> frame;
  {
    std::lock_guard<std::mutex> lock(pending_frame_mutex);
    frame.swap(pending_xing_frame);
  }
  if (frame.size() < ENC_HEADER_BYTES) return BE_ERR_INVALID_HANDLE;
  if (!lpszFileName) return BE_ERR_INVALID_FORMAT_PARAMETERS;

  FILE* file = std::fopen(lpszFileName, "r+b");
  if (!file) return BE_ERR_INVALID_FORMAT_PARAMETERS;
  uint8_t start[ENC_ID3V2_HEADER_BYTES] = {};
  const size_t got = std::fread(start, 1, sizeof(start), file);
  const long offset = FirstFrameOffset(start, got);
  // The frame only replaces the frame that was kept for it: a header of its length
  // followed by nothing but zeros, at the start of a file that holds the whole stream.
  std::vector<uint8_t> kept(frame.size());
  FrameShape shape;
  bool fits = std::fseek(file, offset, SEEK_SET) == 0 &&
              std::fread(kept.data(), 1, kept.size(), file) == kept.size() &&
              ReadFrameHeader(kept.data(), &shape) && shape.length == frame.size() &&
              std::all_of(kept.begin() + ENC_HEADER_BYTES, kept.end(),
                          [](uint8_t byte) { return byte == 0; });
  const size_t mark = InfoMarkOffset(frame.data(), frame.size());
  if (fits && mark != 0) {
    const long streamBytes = static_cast<long>(ReadBigEndian32(&frame[mark + ENC_XING_BYTES]));
    fits = std::fseek(file, 0, SEEK_END) == 0 && std::ftell(file) >= offset + streamBytes;
  }
  if (fits) {
    fits = std::fseek(file, offset, SEEK_SET) == 0 &&
           std::fwrite(frame.data(), 1, frame.size(), file) == frame.size();
  }
  const bool closed = std::fclose(file) == 0;
  if (!fits) return BE_ERR_INVALID_FORMAT;
  return closed ? BE_ERR_SUCCESSFUL : BE_ERR_INVALID_FORMAT_PARAMETERS;
}

BE_ERR SetStreamOutputLimit(HBE_STREAM hbeStream, uint32_t bytes) {
  if (!IsUsable(hbeStream)) return BE_ERR_INVALID_HANDLE;
  hbeStream->limited = true;
  hbeStream->outputLimit = bytes;
  return BE_ERR_SUCCESSFUL;
}

BE_ERR SetStreamInputSilent(HBE_STREAM hbeStream) {
  if (!IsUsable(hbeStream) || hbeStream->started || hbeStream->flushed) {
    return BE_ERR_INVALID_HANDLE;
  }
  hbeStream->silence.on = true;
  return BE_ERR_SUCCESSFUL;
}
