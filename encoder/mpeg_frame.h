// MPEG audio frames as they lie in a file: the four header bytes, the Info tag that a first
// frame may carry and its seek table, and where a file's first frame starts.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t MPEG_HEADER_BYTES = 4;
// The longest Layer III frame: MPEG-1 at 320 kbit/s and 32 kHz, padded.
constexpr size_t MPEG_LAYER3_MAX_FRAME_BYTES = 1441;
static_assert(MPEG_LAYER3_MAX_FRAME_BYTES == 144 * 320000 / 32000 + 1, "Layer III frame length");

enum class MpegVersion : uint8_t { Mpeg1, Mpeg2, Mpeg25 };

// In the order of the header's two mode bits.
enum class MpegChannelMode : uint8_t { Stereo, JointStereo, DualChannel, Mono };

struct MpegFrameHeader {
  MpegVersion version = MpegVersion::Mpeg1;
  int layer = 0;              // 1, 2 or 3
  bool crcProtected = false;  // a 16-bit CRC follows the header
  int bitRate = 0;            // kbit/s
  int sampleRate = 0;         // Hz
  bool padding = false;       // the frame is one slot longer
  MpegChannelMode mode = MpegChannelMode::Stereo;
  size_t length = 0;    // bytes, header included
  size_t samples = 0;   // per channel
  size_t sideInfo = 0;  // Layer III side information behind the header (and its CRC); else 0
};

// The header's fields as the four bytes hold them, none judged yet: what a reader that
// follows another decoder's rules (the game's loader) starts from.
struct MpegHeaderFields {
  int versionField = 0;  // 0 MPEG-2.5, 1 reserved, 2 MPEG-2, 3 MPEG-1
  int layerField = 0;    // 0 reserved, 1 Layer III, 2 Layer II, 3 Layer I
  bool crcProtected = false;
  int rateIndex = 0;    // 0 free format, 15 bad
  int sampleIndex = 0;  // 3 reserved
  bool padding = false;
  int modeField = 0;  // in MpegChannelMode's order
};

// Reads the fields at bytes, of which `available` may be read; fields is cleared first.
// False when there are fewer than four bytes or no 11-bit sync.
bool ReadMpegHeaderFields(const uint8_t* bytes, size_t available, MpegHeaderFields* fields);

// kbit/s of a rate index for a version and layer (1..3); MPEG-2.5 has MPEG-2's rates.
// 0 for free format and the bad index.
int MpegBitRate(MpegVersion version, int layer, int rateIndex);

// Hz of a sample rate index under a version field; 0 for the reserved version or index.
int MpegSampleRate(int versionField, int sampleIndex);

// Reads the frame header at bytes, of which `available` may be read; header is cleared
// first. False when there is none: fewer than four bytes, no sync, a reserved version,
// layer, bit rate or sample rate, or a free-format bit rate (whose frame length no header
// gives). The emphasis and the flags that change no length are not read.
bool ReadMpegFrameHeader(const uint8_t* bytes, size_t available, MpegFrameHeader* header);

// Fields of an Info tag (a Xing tag with the LAME extension) counted from its "Xing" or
// "Info" mark, where the tag holds all four Xing fields (flags 0x0F), as the encoder
// writes it. Numbers are big-endian.
constexpr size_t INFO_MARK_BYTES = 4;
constexpr size_t INFO_FLAGS = 4;
constexpr size_t INFO_XING_FRAMES = 8;  // the frames behind this one
constexpr size_t INFO_XING_BYTES = 12;  // the whole stream, this frame included
constexpr size_t INFO_XING_TOC = 16;
constexpr size_t INFO_TOC_ENTRIES = 100;
constexpr size_t INFO_LAME_MUSIC_LENGTH = 148;  // the stream's bytes again
constexpr size_t INFO_LAME_MUSIC_CRC = 152;     // CRC-16 of every byte behind this frame
constexpr size_t INFO_LAME_TAG_CRC = 154;       // CRC-16 of the frame up to this field
constexpr size_t INFO_LAME_TAG_END = 156;
static_assert(INFO_FLAGS == INFO_MARK_BYTES && INFO_FLAGS + 4 == INFO_XING_FRAMES &&
                  INFO_XING_FRAMES + 4 == INFO_XING_BYTES && INFO_XING_BYTES + 4 == INFO_XING_TOC,
              "Info frame layout");
// Between the table and the music length: VBR scale 4, encoder version 9, revision 1,
// lowpass 1, peak 4, two gains 2 + 2, flags 1, bit rate 1, delay and padding 3, misc 1,
// gain 1, preset 2.
static_assert(INFO_XING_TOC + INFO_TOC_ENTRIES + 4 + 9 + 1 + 1 + 4 + 2 + 2 + 1 + 1 + 3 + 1 + 1 +
                      2 ==
                  INFO_LAME_MUSIC_LENGTH,
              "Info frame layout");
static_assert(INFO_LAME_MUSIC_LENGTH + 4 == INFO_LAME_MUSIC_CRC &&
                  INFO_LAME_MUSIC_CRC + 2 == INFO_LAME_TAG_CRC &&
                  INFO_LAME_TAG_CRC + 2 == INFO_LAME_TAG_END,
              "Info frame layout");

// Where the "Xing" or "Info" mark of the Layer III frame at `frame` starts, counted from
// the frame's first byte: behind the header and side information, where encoders put it
// with or without a CRC. 0 when the first `available` bytes hold no whole frame with a mark.
size_t FindInfoTag(const uint8_t* frame, size_t available);

// The same for a frame of exactly `length` bytes, and only when its tag has room for every
// field up to the end of the LAME extension.
size_t FindFullInfoTag(const uint8_t* frame, size_t length);

uint32_t ReadBigEndian32(const uint8_t* at);
uint16_t ReadBigEndian16(const uint8_t* at);
void WriteBigEndian32(uint8_t* at, uint32_t value);
void WriteBigEndian16(uint8_t* at, uint16_t value);

// The Info tag's seek table as the encoder keeps it while it writes frames, so that the
// table can be built for frames from their bit rates alone: the running sum of the rates
// is kept every `want` frames in 400 slots; when they are full, every second one is
// dropped and `want` doubles.
class XingSeekTable {
 public:
  // Counts `count` more frames of kbps kbit/s.
  void Add(int kbps, uint64_t count);

  uint32_t Frames() const { return frames; }

  // Fills the tag's 100 entries: entry 0 is 0; entry i is where i percent of the frames
  // start, in 256ths of the stream, computed with the encoder's own float and double steps.
  void Fill(uint8_t* toc) const;

 private:
  static constexpr int SLOTS = 400;
  uint32_t frames = 0;
  int64_t sum = 0;
  int64_t seen = 0;  // frames since the last kept sum
  int64_t want = 1;
  int used = 0;
  int64_t slot[SLOTS] = {};
};

constexpr size_t ID3V2_HEADER_BYTES = 10;

// Where a file's first audio frame starts: behind the ID3v2 tag that the first `available`
// bytes (a tag header's ten suffice) start with, or 0 when they start with none.
size_t FirstFrameOffset(const uint8_t* start, size_t available);
