// The game's MP3 loader's rules: where it takes the first frame from, which files it
// turns down, how many frames it counts, and what the caption shows for them.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "checker/loader_rules.h"
#include "generator/generate_command.h"

namespace {

constexpr int LOADER_SAMPLE_RATE = 44100;
// What one counted frame decodes to: 1,152 samples (Layer I: 384) of 16-bit mono, stereo
// files included.
constexpr int64_t LOADER_FRAME_OUT = 2304;
constexpr int64_t LOADER_LAYER1_FRAME_OUT = 768;
constexpr int64_t LOADER_COUNT_MAX = INT32_MAX;
// A voice file is kept as MP3 in memory, and counted one frame longer, when the file and
// this margin together are smaller than its decoded sound (plus that frame): the stream
// record of the 32-bit game (26,640 bytes) and 5 KB. Shorter files are decoded whole.
constexpr int64_t LOADER_KEEP_MARGIN = 26640 + 5 * 1024;
// The free-format search: the distances it tries, and how far it looks.
constexpr int64_t LOADER_FREE_FIRST = 24;
constexpr int64_t LOADER_FREE_LAST = 2000;
constexpr uint64_t LOADER_FREE_SPAN = 10000;
// A Layer III frame that the loader takes: the header and side information, the CRC, and
// at most this much main data.
constexpr int64_t LOADER_SIDE_MONO = 4 + 17;
constexpr int64_t LOADER_SIDE_STEREO = 4 + 32;
constexpr int64_t LOADER_CRC_BYTES = 2;
constexpr int64_t LOADER_MAIN_DATA_MAX = 8 * 1024;
constexpr size_t LOADER_SCAN_STEP = 4096;

// The longest frame of any kind: MPEG-2.5 Layer II at 160 kbit/s and 8,000 Hz, padded.
constexpr uint64_t MPEG_LONGEST_FRAME_BYTES = 2881;
static_assert(MPEG_LONGEST_FRAME_BYTES == 144 * 160000 / 8000 + 1, "longest frame");
// The search past a damaged second header reads up to three frames on, then the count
// starts again at the first frame.
static_assert(3 * MPEG_LONGEST_FRAME_BYTES + MPEG_HEADER_BYTES <= ByteSource::BACK_BYTES,
              "the reader's look-back reaches the first frame");

constexpr size_t ID3V1_TAG_BYTES = 128;
constexpr int MPEG_MODE_MONO = 3;
constexpr int MPEG_SAMPLE_INDEX_RESERVED = 3;
constexpr int MPEG_VERSION_FIELD_MPEG1 = 3;
constexpr int MPEG_VERSION_FIELD_MPEG2 = 2;
constexpr int WAV_FORMAT_MPEG = 0x50;
constexpr int WAV_FORMAT_MPEG_LAYER3 = 0x55;

static_assert((LOADER_COUNT_MAX - LOADER_FRAME_OUT) / LOADER_FRAME_OUT * 1152 /
                      LOADER_SAMPLE_RATE ==
                  static_cast<int64_t>(CHECK_MP3_LONGEST_SECONDS),
              "the longest file whose count, and one frame more, fit 32 bits");
static_assert(CHECK_MP3_LONGEST_SECONDS == GENERATE_GAME_MAX_SECONDS,
              "the writer warns from the length on that the checker tells too long");

// The version bit picks MPEG-1's or MPEG-2's tables; the 12th sync bit only halves a
// Layer III sample rate (MPEG-2.5) and is needed by every frame after the first.
bool IsMpeg1Bit(const MpegHeaderFields& fields) { return (fields.versionField & 1) != 0; }
bool HasTwelfthSyncBit(const MpegHeaderFields& fields) { return (fields.versionField & 2) != 0; }
int LayerOf(const MpegHeaderFields& fields) {
  return fields.layerField == 0 ? 0 : 4 - fields.layerField;
}

int TableSampleRate(const MpegHeaderFields& fields) {
  return MpegSampleRate(IsMpeg1Bit(fields) ? MPEG_VERSION_FIELD_MPEG1 : MPEG_VERSION_FIELD_MPEG2,
                        fields.sampleIndex);
}

// The frame length the loader works out from a header with a bit rate: 0 for the bad
// rate index; negative for a reserved sample rate, which stops it later. The tables are
// the header's own; whether a Layer III frame holds half as many samples is the
// decoder's, which the first header picked.
int64_t LoaderFrameBytes(const MpegHeaderFields& fields, int layer,
                         const MpegHeaderFields& decoder) {
  const bool mpeg1 = IsMpeg1Bit(fields);
  const int64_t bitsPerSecond =
      1000 * MpegBitRate(mpeg1 ? MpegVersion::Mpeg1 : MpegVersion::Mpeg2, layer, fields.rateIndex);
  const int64_t hz = TableSampleRate(fields);
  if (bitsPerSecond == 0) return 0;
  if (hz == 0) return -1;
  if (layer == 1) return 4 * (12 * bitsPerSecond / hz);
  const bool halfFrame = layer == 3 && !IsMpeg1Bit(decoder) && HasTwelfthSyncBit(decoder);
  return (halfFrame ? 72 : 144) * bitsPerSecond / hz;
}

// The sample rate the loader's decoder reports.
int LoaderSampleRate(const MpegHeaderFields& fields, int layer) {
  const int hz = TableSampleRate(fields);
  return layer == 3 && !HasTwelfthSyncBit(fields) ? hz / 2 : hz;
}

// The Layer II decoder starts only on a known sample rate and, for MPEG-1, on a bit rate
// that the channel mode allows: mono up to 192 kbit/s, two channels not at 32, 48, 56 or
// 80 kbit/s.
bool Layer2DecoderStarts(const MpegHeaderFields& fields) {
  if (TableSampleRate(fields) == 0) return false;
  if (!IsMpeg1Bit(fields)) return true;
  if (fields.modeField == MPEG_MODE_MONO) return fields.rateIndex <= 10;
  return fields.rateIndex != 1 && fields.rateIndex != 2 && fields.rateIndex != 3 &&
         fields.rateIndex != 5;
}

bool SameTwoBytes(const uint8_t* at, const uint8_t* first) {
  return at[0] == first[0] && at[1] == first[1];
}

// A free-format frame's length as the loader finds it: the first distance (tried in
// order from 24 bytes) at which the first two header bytes recur, less the padding, and
// keep recurring to the end of what it looks at. 0 when there is none.
int64_t FindFreeFormatLength(ByteSource& source, uint64_t start, uint64_t scanEnd) {
  const uint64_t span = std::min(scanEnd, LOADER_FREE_SPAN);
  const uint8_t* frame = source.View(start, static_cast<size_t>(span));
  const int64_t last = static_cast<int64_t>(span) - 3;
  if (!frame || last <= 0) return 0;
  // Layer I pads with a four-byte slot.
  const int64_t padUnit = (frame[1] >> 1 & 3) == 3 ? 4 : 1;
  const int64_t firstPad = frame[2] >> 1 & 1;
  for (int64_t from = LOADER_FREE_FIRST; from < LOADER_FREE_LAST;) {
    int64_t found = 0;
    for (int64_t at = from; at < last; ++at) {
      if (SameTwoBytes(frame + at, frame)) {
        found = at;
        break;
      }
    }
    from = found + 1;
    const int64_t length = found - firstPad;
    if (length <= 0) return 0;
    int64_t repeats = 0;
    bool broken = false;
    for (int64_t at = 0;;) {
      at += padUnit * (frame[at + 2] >> 1 & 1) + length;
      if (at > last) break;
      if (!SameTwoBytes(frame + at, frame)) {
        broken = true;
        break;
      }
      ++repeats;
    }
    if (!broken && repeats > 0) return length;
  }
  return 0;
}

// Where the loader takes the first frame from: the first 11-bit sync in the file's first
// half, whatever comes before it.
bool FindLoaderStart(ByteSource& source, uint64_t scanEnd, uint64_t* start) {
  for (uint64_t from = 0; from < scanEnd; from += LOADER_SCAN_STEP) {
    const size_t count = static_cast<size_t>(std::min<uint64_t>(LOADER_SCAN_STEP, scanEnd - from));
    // One byte more for the second byte of a pair that starts at the last place.
    const uint8_t* bytes = source.View(from, count + 1);
    if (!bytes) return false;
    for (size_t i = 0; i < count; ++i) {
      if (bytes[i] == 0xFF && (bytes[i + 1] & 0xE0) == 0xE0) {
        *start = from + i;
        return true;
      }
    }
  }
  return false;
}

// Whether a frame of the first's kind starts at `at`, and then its length.
bool ReadFrameOfKind(ByteSource& source, uint64_t at, const MpegFrameHeader& first,
                     size_t* length) {
  MpegFrameHeader header;
  const uint8_t* bytes = source.View(at, MPEG_HEADER_BYTES);
  if (!bytes || !ReadMpegFrameHeader(bytes, MPEG_HEADER_BYTES, &header) ||
      header.version != first.version || header.layer != first.layer ||
      header.sampleRate != first.sampleRate) {
    return false;
  }
  *length = header.length;
  return true;
}

// Whether two frames of the first's kind follow each other somewhere in the frame's
// length from `from` on: the frames go on past a damaged header.
bool FindFramesResuming(ByteSource& source, uint64_t from, uint64_t soundEnd,
                        const MpegFrameHeader& first) {
  for (uint64_t at = from; at < from + MPEG_LONGEST_FRAME_BYTES && at < soundEnd; ++at) {
    size_t length = 0, ignored = 0;
    if (ReadFrameOfKind(source, at, first, &length) &&
        ReadFrameOfKind(source, at + length, first, &ignored)) {
      return true;
    }
  }
  return false;
}

// Whether the loader's first frame is MPEG audio and not bytes that happen to look like a
// header: a valid header followed by another of the same kind, by the end of the sound,
// or by a damaged header after which frames of its kind go on (the loader stops at that
// header as at the end). A free-format frame has shown its repeats to the loader already.
bool LooksLikeMpegAudio(ByteSource& source, uint64_t start, uint64_t soundEnd,
                        const MpegHeaderFields& fields) {
  if (fields.rateIndex == 0) return true;
  MpegFrameHeader first;
  const uint8_t* bytes = source.View(start, MPEG_HEADER_BYTES);
  if (!bytes || !ReadMpegFrameHeader(bytes, MPEG_HEADER_BYTES, &first)) return false;
  const uint64_t next = start + first.length;
  if (next + MPEG_HEADER_BYTES > soundEnd) return true;
  size_t ignored = 0;
  return ReadFrameOfKind(source, next, first, &ignored) ||
         FindFramesResuming(source, next + 1, soundEnd, first);
}

// The frames the loader counts, from `start` to the ID3v1 tag.
struct FrameCount {
  int64_t bytesOut = 0;
  bool bitRateVaries = false;
};

// Every frame needs a 12-bit sync. Layer III frames are as long as their own header
// says (a free-format one keeps the length before it) and must lie whole before the end
// and hold their side information; Layer I and II frames all have the first frame's
// length, plus their padding. Counting stops at the first frame that fails, or where
// what is left is shorter than the first frame.
FrameCount CountLoaderFrames(ByteSource& source, uint64_t start, uint64_t soundEnd,
                             const MpegHeaderFields& firstFields, int layer,
                             int64_t firstFrameBytes) {
  FrameCount count;
  const int64_t end = static_cast<int64_t>(soundEnd);
  int64_t at = static_cast<int64_t>(start);
  int64_t frameBytes = firstFrameBytes;
  int firstRateIndex = -1;
  while (end - at > 0 && end - at >= firstFrameBytes) {
    MpegHeaderFields fields;
    const uint8_t* bytes = source.View(static_cast<uint64_t>(at), MPEG_HEADER_BYTES);
    if (!bytes || !ReadMpegHeaderFields(bytes, MPEG_HEADER_BYTES, &fields) ||
        !HasTwelfthSyncBit(fields)) {
      break;
    }
    int64_t padded = 0;
    if (layer == 3) {
      if (fields.rateIndex != 0) frameBytes = LoaderFrameBytes(fields, 3, firstFields);
      padded = frameBytes + (fields.padding ? 1 : 0);
      if (at + padded > end) break;
      const int64_t side =
          fields.modeField == MPEG_MODE_MONO ? LOADER_SIDE_MONO : LOADER_SIDE_STEREO;
      const int64_t mainData = padded - side - (fields.crcProtected ? LOADER_CRC_BYTES : 0);
      if (mainData < 0 || mainData > LOADER_MAIN_DATA_MAX) break;
      count.bytesOut += LOADER_FRAME_OUT;
    } else {
      padded = firstFrameBytes + (fields.padding ? (layer == 1 ? 4 : 1) : 0);
      count.bytesOut += layer == 1 ? LOADER_LAYER1_FRAME_OUT : LOADER_FRAME_OUT;
    }
    if (firstRateIndex < 0) firstRateIndex = fields.rateIndex;
    if (fields.rateIndex != firstRateIndex) count.bitRateVaries = true;
    at += padded;
  }
  return count;
}

// What the loader answers before it counts.
enum class LoaderAnswer { Takes, BadFile, DecoderFails, DecoderCrashes, WrongRate };

struct LoaderFirstFrame {
  MpegHeaderFields fields;
  int layer = 0;
  int64_t frameBytes = 0;  // the first frame's, without padding
  int sampleRate = 0;
  LoaderAnswer answer = LoaderAnswer::BadFile;
};

LoaderFirstFrame ReadLoaderFirstFrame(ByteSource& source, uint64_t start, uint64_t scanEnd) {
  LoaderFirstFrame first;
  // In a file of a few bytes the header runs past the end, where the loader finds the
  // zero it puts behind every file it reads (and then whatever follows in memory).
  uint8_t header[MPEG_HEADER_BYTES] = {};
  const size_t inFile =
      static_cast<size_t>(std::min<uint64_t>(MPEG_HEADER_BYTES, source.Size() - start));
  const uint8_t* bytes = source.View(start, inFile);
  if (!bytes) return first;
  std::memcpy(header, bytes, inFile);
  if (!ReadMpegHeaderFields(header, MPEG_HEADER_BYTES, &first.fields)) return first;
  first.layer = LayerOf(first.fields);
  if (first.layer == 0) return first;
  first.frameBytes = first.fields.rateIndex == 0 ? FindFreeFormatLength(source, start, scanEnd)
                                                 : LoaderFrameBytes(first.fields, first.layer,
                                                                    first.fields);
  if (first.frameBytes == 0) return first;
  first.sampleRate = LoaderSampleRate(first.fields, first.layer);
  if (first.layer == 2 && !Layer2DecoderStarts(first.fields)) {
    first.answer = LoaderAnswer::DecoderFails;
  } else if (first.layer == 3 && first.fields.sampleIndex == MPEG_SAMPLE_INDEX_RESERVED &&
             !HasTwelfthSyncBit(first.fields)) {
    // The Layer III decoder halves the stand-in rate of 1 Hz that it keeps for the
    // reserved index to 0, and then divides by it.
    first.answer = LoaderAnswer::DecoderCrashes;
  } else {
    first.answer =
        first.sampleRate == LOADER_SAMPLE_RATE ? LoaderAnswer::Takes : LoaderAnswer::WrongRate;
  }
  return first;
}

MpegVersion VersionOfField(int versionField) {
  if (versionField == MPEG_VERSION_FIELD_MPEG1) return MpegVersion::Mpeg1;
  return versionField == MPEG_VERSION_FIELD_MPEG2 ? MpegVersion::Mpeg2 : MpegVersion::Mpeg25;
}

// Whether a Layer III first frame holds a Xing or Info tag, and then whether it says the
// bit rate varies (LAME writes Info for a constant one).
bool ReadRateTag(ByteSource& source, uint64_t start, int64_t room, int64_t frameBytes,
                 bool* varies) {
  if (frameBytes <= 0 || room <= 0) return false;
  const size_t length = static_cast<size_t>(std::min(frameBytes + 1, room));
  const uint8_t* frame = source.View(start, length);
  const size_t mark = frame ? FindInfoTag(frame, length) : 0;
  if (mark == 0) return false;
  *varies = std::memcmp(frame + mark, "Xing", 4) == 0;
  return true;
}

// Whether the source starts with a RIFF/WAVE header whose first chunk is "fmt ", and then
// its format code.
bool ReadWavFormatAtStart(ByteSource& source, int* format) {
  // "RIFF", its size, "WAVE", "fmt ", its size, then the format code.
  constexpr size_t WAV_START_BYTES = 22;
  constexpr size_t WAV_START_FORMAT = 20;
  const uint8_t* bytes = source.View(0, WAV_START_BYTES);
  if (!bytes || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVEfmt ", 8) != 0) {
    return false;
  }
  *format = bytes[WAV_START_FORMAT] | bytes[WAV_START_FORMAT + 1] << 8;
  return true;
}

}  // namespace

VoiceCheck CheckMp3Source(ByteSource& source) {
  VoiceCheck check;
  check.problem = VoiceProblem::None;
  const uint64_t size = source.Size();
  if (size == 0) return Judged(check, VoiceVerdict::Refuses, VoiceProblem::Empty);

  int wavFormat = 0;
  const bool wavBytes = ReadWavFormatAtStart(source, &wavFormat) && wavFormat != WAV_FORMAT_MPEG &&
                        wavFormat != WAV_FORMAT_MPEG_LAYER3;
  const size_t headBytes = static_cast<size_t>(std::min<uint64_t>(size, ID3V2_HEADER_BYTES));
  const uint8_t* head = source.View(0, headBytes);
  const uint64_t id3v2End = head ? FirstFrameOffset(head, headBytes) : 0;
  // A file cut inside its tag, or inside the tag's header, whose length it never gets to.
  const bool id3v2Cut = head && headBytes >= 3 && std::memcmp(head, "ID3", 3) == 0 &&
                        (headBytes < ID3V2_HEADER_BYTES || id3v2End > size);
  const VoiceProblem tagProblem =
      id3v2Cut ? VoiceProblem::Id3v2CutShort : VoiceProblem::Id3v2AtStart;

  const uint64_t scanEnd = size / 2;
  uint64_t start = 0;
  if (!FindLoaderStart(source, scanEnd, &start)) {
    const VoiceProblem problem = wavBytes                   ? VoiceProblem::WavNamedMp3
                                 : id3v2End > 0 || id3v2Cut ? tagProblem
                                                            : VoiceProblem::NotMpeg;
    return Judged(check, VoiceVerdict::Refuses, problem);
  }
  const uint8_t* tag = source.Tail(ID3V1_TAG_BYTES);
  const uint64_t soundEnd = size - (tag && std::memcmp(tag, "TAG", 3) == 0 ? ID3V1_TAG_BYTES : 0);
  const LoaderFirstFrame first = ReadLoaderFirstFrame(source, start, scanEnd);

  check.mpeg = true;
  check.version = VersionOfField(first.fields.versionField);
  check.layer = first.layer;
  check.bitRate = MpegBitRate(check.version, first.layer, first.fields.rateIndex);
  check.sampleRate = first.sampleRate;
  check.channels = first.fields.modeField == MPEG_MODE_MONO ? 1 : 2;
  const int64_t room = static_cast<int64_t>(soundEnd) - static_cast<int64_t>(start);
  const bool rateTag =
      first.layer == 3 && ReadRateTag(source, start, room, first.frameBytes, &check.vbr);
  const bool mpegAudio = LooksLikeMpegAudio(source, start, soundEnd, first.fields);

  // Where the loader's first frame is no sound, what the loader does with it (crash,
  // refuse it, or play noise or nothing) only picks the verdict's word.
  const bool crashes = first.answer == LoaderAnswer::DecoderCrashes;
  const VoiceVerdict notSound = crashes                               ? VoiceVerdict::Quits
                                : first.answer == LoaderAnswer::Takes ? VoiceVerdict::Misplays
                                                                      : VoiceVerdict::Refuses;
  if (wavBytes) return Judged(check, notSound, VoiceProblem::WavNamedMp3);
  // A tag whose size reaches past real frames is no trouble: the loader finds them.
  if (start < id3v2End && !mpegAudio) return Judged(check, notSound, tagProblem);
  if (crashes) return Judged(check, VoiceVerdict::Quits, VoiceProblem::DividesByZero);
  if (!mpegAudio || first.answer == LoaderAnswer::BadFile) {
    return Judged(check, notSound, VoiceProblem::NotMpeg);
  }
  if (first.answer == LoaderAnswer::DecoderFails) {
    return Judged(check, VoiceVerdict::Refuses, VoiceProblem::BitRateForMode);
  }
  if (first.answer == LoaderAnswer::WrongRate) {
    return Judged(check, VoiceVerdict::Refuses, VoiceProblem::SampleRate);
  }

  const FrameCount count =
      CountLoaderFrames(source, start, soundEnd, first.fields, first.layer, first.frameBytes);
  check.loaderBytes = static_cast<uint64_t>(count.bytesOut);
  if (!rateTag) check.vbr = count.bitRateVaries;
  if (count.bytesOut == 0) return Judged(check, VoiceVerdict::Misplays, VoiceProblem::NoWholeFrame);
  if (count.bytesOut + LOADER_FRAME_OUT > LOADER_COUNT_MAX) {
    check.samples = static_cast<uint64_t>(count.bytesOut / 2);
    check.longestSeconds = CHECK_MP3_LONGEST_SECONDS;
    return Judged(check, VoiceVerdict::Quits, VoiceProblem::TooLong);
  }
  const bool keptAsMp3 =
      static_cast<int64_t>(size) + LOADER_KEEP_MARGIN < count.bytesOut + LOADER_FRAME_OUT;
  check.samples = static_cast<uint64_t>((count.bytesOut + (keptAsMp3 ? LOADER_FRAME_OUT : 0)) / 2);
  check.captionMs = CountCaptionMs(static_cast<int64_t>(check.samples));
  return Judged(check, VoiceVerdict::Plays, VoiceProblem::None);
}

VoiceCheck CheckMp3Bytes(const uint8_t* data, size_t size) {
  ByteSource source(data, size);
  return CheckMp3Source(source);
}
