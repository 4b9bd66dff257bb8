// The game's WAV loader's rules: the RIFF chunks it looks for, the files it refuses or
// misreads, and how many samples it keeps once it has resampled them.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "checker/loader_rules.h"

namespace {

constexpr int WAV_FORMAT_PCM = 1;
constexpr int64_t LOADER_COUNT_MAX = INT32_MAX;
// The memory manager's record around each block: 24 bytes in the 32-bit game.
constexpr int64_t LOADER_BLOCK_RECORD = 24;
// The most samples whose blocks fit a signed 32-bit size with their record: 4 bytes a
// sample before resampling, 2 after.
constexpr int64_t LOADER_MOST_SAMPLES = (LOADER_COUNT_MAX - LOADER_BLOCK_RECORD) / 4;
constexpr int64_t LOADER_MOST_RESAMPLED = (LOADER_COUNT_MAX - LOADER_BLOCK_RECORD) / 2;
// What the x86 conversion of a float beyond the int's range gives.
constexpr int64_t LOADER_COUNT_OVERFLOW = INT32_MIN;
// The resampler steps through the samples in 256ths, in an unsigned 32-bit count.
constexpr uint64_t LOADER_STEP_FRACTION = 256;
constexpr uint64_t LOADER_STEP_WRAP = uint64_t{1} << 32;
// The file's reader puts a zero behind every file it reads.
constexpr uint64_t LOADER_FILE_TERMINATOR = 1;

constexpr size_t WAV_CHUNK_HEADER_BYTES = 8;  // name, then a signed 32-bit length
constexpr size_t WAV_CHUNK_LENGTH = 4;
constexpr size_t WAV_RIFF_FORM_BYTES = 4;  // "WAVE", where the RIFF chunk's body starts
// The fmt fields the loader reads: format 2, channels 2, rate 4, bytes a second 4, block
// size 2, bits a sample 2.
constexpr size_t WAV_FMT_FORMAT = 0;
constexpr size_t WAV_FMT_CHANNELS = 2;
constexpr size_t WAV_FMT_RATE = 4;
constexpr size_t WAV_FMT_BITS = 14;
constexpr size_t WAV_FMT_BYTES = 16;
static_assert(WAV_FMT_RATE + 4 + 4 + 2 == WAV_FMT_BITS && WAV_FMT_BITS + 2 == WAV_FMT_BYTES,
              "fmt chunk layout");

int16_t ReadLittle16(const uint8_t* at) { return static_cast<int16_t>(at[0] | at[1] << 8); }

int32_t ReadLittle32(const uint8_t* at) {
  return static_cast<int32_t>(uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 |
                              uint32_t{at[3]} << 24);
}

struct WavChunk {
  const char* name;
  bool found = false;
  uint64_t body = 0;                 // where its bytes start
  int64_t length = 0;                // as its header says
  uint8_t head[WAV_FMT_BYTES] = {};  // its first bytes, read on past its end as the loader does
  bool headWhole = false;            // the file holds all of them
};

// Walks the chunks from `from` as the loader does, each header eight bytes and each body
// padded to an even length, until the end of the file or a negative length, and notes the
// first chunk of each name wanted. The loader searches for each from the same place in
// the same steps, so one walk finds what its searches find. A header cut short by the end
// of the file ends the walk (the loader reads on past its buffer there).
void FindChunks(ByteSource& source, uint64_t from, std::initializer_list<WavChunk*> wanted) {
  const uint64_t size = source.Size();
  for (uint64_t at = from; at < size;) {
    const uint8_t* header = source.View(at, WAV_CHUNK_HEADER_BYTES);
    if (!header) return;
    const int64_t length = ReadLittle32(header + WAV_CHUNK_LENGTH);
    if (length < 0) return;
    char name[4];
    std::memcpy(name, header, sizeof name);
    bool allFound = true;
    for (WavChunk* chunk : wanted) {
      if (!chunk->found && std::memcmp(name, chunk->name, sizeof name) == 0) {
        chunk->found = true;
        chunk->body = at + WAV_CHUNK_HEADER_BYTES;
        chunk->length = length;
        const uint8_t* head = source.View(chunk->body, WAV_FMT_BYTES);
        chunk->headWhole = head != nullptr;
        if (head) std::memcpy(chunk->head, head, WAV_FMT_BYTES);
      }
      allFound = allFound && chunk->found;
    }
    if (allFound) return;
    at += WAV_CHUNK_HEADER_BYTES + static_cast<uint64_t>((length + 1) & ~int64_t{1});
  }
}

// A float cut to an int as the game's x86 code cuts it.
int64_t TruncateToInt(float value) {
  if (!(value > -2147483648.0f && value < 2147483648.0f)) return LOADER_COUNT_OVERFLOW;
  return static_cast<int64_t>(value);
}

// The loader's count of samples at the mixing rate, in its single-precision steps, which
// can miss the exact count by a sample. A rate of 0 overflows.
int64_t CountResampled(int64_t samples, int rate) {
  const float step = static_cast<float>(rate) / static_cast<float>(LOADER_MIX_RATE);
  return TruncateToInt(static_cast<float>(samples) / step);
}

// How far the resampler moves on through the samples for each one it makes, in 256ths of
// a sample.
uint64_t FindResamplerStep(int rate) {
  const float step = static_cast<float>(rate) / static_cast<float>(LOADER_MIX_RATE);
  return static_cast<uint32_t>(TruncateToInt(step * static_cast<float>(LOADER_STEP_FRACTION)));
}

}  // namespace

VoiceCheck CheckWavSource(ByteSource& source) {
  VoiceCheck check;
  check.problem = VoiceProblem::None;
  if (source.Size() == 0) return Judged(check, VoiceVerdict::Refuses, VoiceProblem::Empty);

  WavChunk riff{"RIFF"};
  FindChunks(source, 0, {&riff});
  if (!riff.found || !riff.headWhole || std::memcmp(riff.head, "WAVE", 4) != 0) {
    return Judged(check, VoiceVerdict::Refuses, VoiceProblem::NotWav);
  }
  WavChunk fmt{"fmt "}, data{"data"};
  FindChunks(source, riff.body + WAV_RIFF_FORM_BYTES, {&fmt, &data});
  if (!fmt.found || !fmt.headWhole)
    return Judged(check, VoiceVerdict::Refuses, VoiceProblem::NotWav);
  const uint8_t* fields = fmt.head;

  const int format = ReadLittle16(fields + WAV_FMT_FORMAT);
  check.wavFormat = format & 0xFFFF;
  check.channels = ReadLittle16(fields + WAV_FMT_CHANNELS);
  check.sampleRate = ReadLittle32(fields + WAV_FMT_RATE);
  check.wavBits = ReadLittle16(fields + WAV_FMT_BITS);
  const bool mono = check.channels == 1;
  // The loader stops reading at a format it does not know and at a missing data chunk,
  // then refuses all but mono; a mono file is kept without a single sample.
  if (format != WAV_FORMAT_PCM) {
    return mono ? Judged(check, VoiceVerdict::Misplays, VoiceProblem::WavNotPcm)
                : Judged(check, VoiceVerdict::Refuses, VoiceProblem::WavNotMono);
  }
  if (!data.found) {
    return mono ? Judged(check, VoiceVerdict::Misplays, VoiceProblem::WavNoSamples)
                : Judged(check, VoiceVerdict::Refuses, VoiceProblem::WavNotMono);
  }
  // It counts samples by dividing the data's length by whole bytes a sample, before it
  // looks at the channels: under 8 bits that is a division by zero.
  const int width = check.wavBits / 8;
  if (width == 0) return Judged(check, VoiceVerdict::Quits, VoiceProblem::WavSampleWidth);
  const int64_t samples = data.length / width;
  if (!mono) return Judged(check, VoiceVerdict::Refuses, VoiceProblem::WavNotMono);

  // It allocates what the header claims before it reads a sample, however much the file
  // holds: the samples at 16 bits twice over, then the resampled ones at 16 bits.
  check.cutShort = data.body + static_cast<uint64_t>(data.length) > source.Size();
  const int64_t resampled = CountResampled(samples, check.sampleRate);
  // A negative rate gives a negative count, whose size with the record is past 2 GB
  // unsigned; the count that overflows becomes a size of 0, an empty block.
  const bool allocated =
      samples <= LOADER_MOST_SAMPLES && resampled <= LOADER_MOST_RESAMPLED &&
      (resampled >= -LOADER_BLOCK_RECORD / 2 || resampled == LOADER_COUNT_OVERFLOW);
  if (!allocated && check.sampleRate <= 0) {
    return Judged(check, VoiceVerdict::Quits, VoiceProblem::WavNoSampleRate);
  }
  if (!allocated) {
    check.samples = static_cast<uint64_t>(samples);
    const int64_t fits = std::min(LOADER_MOST_SAMPLES,
                                  LOADER_MOST_RESAMPLED * check.sampleRate / LOADER_MIX_RATE);
    check.longestSeconds = static_cast<uint64_t>(fits / check.sampleRate);
    return Judged(check, VoiceVerdict::Quits, VoiceProblem::TooLong);
  }
  if (check.wavBits != 8 && check.wavBits != 16) {
    return Judged(check, VoiceVerdict::Misplays, VoiceProblem::WavSampleWidth);
  }
  if (check.sampleRate <= 0 || resampled == LOADER_COUNT_OVERFLOW) {
    return Judged(check, VoiceVerdict::Misplays, VoiceProblem::WavNoSampleRate);
  }
  if (resampled <= 0) return Judged(check, VoiceVerdict::Misplays, VoiceProblem::WavNoSamples);
  // Its position is an unsigned 32-bit count: past 2^24 samples it wraps round to the start.
  const uint64_t step = FindResamplerStep(check.sampleRate);
  const uint64_t last = static_cast<uint64_t>(resampled - 1) * step;
  if (last >= LOADER_STEP_WRAP) {
    check.longestSeconds = LOADER_STEP_WRAP / step / LOADER_MIX_RATE;
    return Judged(check, VoiceVerdict::Misplays, VoiceProblem::WavWrapsRound);
  }
  const uint64_t readEnd =
      data.body + (last / LOADER_STEP_FRACTION + 1) * static_cast<uint64_t>(width);
  if (readEnd > source.Size() + LOADER_FILE_TERMINATOR) {
    return Judged(check, VoiceVerdict::Misplays, VoiceProblem::WavCutShort);
  }
  check.samples = static_cast<uint64_t>(resampled);
  check.captionMs = CountCaptionMs(resampled);
  return Judged(check, VoiceVerdict::Plays, VoiceProblem::None);
}

VoiceCheck CheckWavBytes(const uint8_t* data, size_t size) {
  ByteSource source(data, size);
  return CheckWavSource(source);
}
