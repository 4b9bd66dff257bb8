// The loader's rules on streams built byte by byte, for what no encoder writes: frames
// near the size at which the game stops decoding a voice file whole, broken and cut
// frames, free format, Layer I and II, headers that crash the game, odd WAV files. The
// MP3 counts and verdicts were worked out from the loader's code and confirmed by its own
// routines (C_MP3_IsValid, C_MP3_GetUnpackedSize) in a harness apart from this project.
#include <filesystem>
#include <fstream>
#include <random>

#include "checker/voice_check.h"
#include "tests/test_support.h"

namespace {

// `count` frames of one header, `length` bytes each with zero bodies: the loader counts
// frames by their headers alone.
Bytes Frames(std::initializer_list<uint8_t> header, size_t length, size_t count) {
  Bytes frames(length * count, 0);
  for (size_t i = 0; i < count; ++i) {
    std::copy(header.begin(), header.end(), frames.begin() + i * length);
  }
  return frames;
}

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Layer III, MPEG-1, no CRC, 44,100 Hz, mono: 128 kbit/s frames are 417 bytes, 320 kbit/s
// ones 1,044. The game adds a frame to the count of a file it keeps as MP3, which it does
// when the file is more than 31,760 bytes smaller than that: from 16 such frames on.
const Bytes K_FRAME128 = Frames({0xFF, 0xFB, 0x90, 0xC4}, 417, 1);
const Bytes K_FRAME320 = Frames({0xFF, 0xFB, 0xE0, 0xC4}, 1044, 1);

Bytes Repeat(const Bytes& frame, size_t count) {
  Bytes frames;
  for (size_t i = 0; i < count; ++i) frames = frames + frame;
  return frames;
}

TEST(Mp3LoaderRules, CountsTheFramesTheGameCounts) {
  Bytes lostSync = Repeat(K_FRAME128, 16);
  lostSync[5 * 417 + 1] = 0xEB;  // the twelfth sync bit cleared
  Bytes lastCut = Repeat(K_FRAME128, 16) + K_FRAME320;
  lastCut.resize(lastCut.size() - 500);
  // The tag's bytes would complete a frame cut short, if they were counted as sound.
  Bytes tagged = Repeat(K_FRAME128, 17);
  tagged.resize(tagged.size() - 100);
  tagged = tagged + Bytes{'T', 'A', 'G'} + Bytes(125, 0);
  const struct {
    const char* what;
    Bytes bytes;
    uint64_t frames;
    uint32_t captionMs;
  } rows[] = {
      {"15 frames: decoded whole", Repeat(K_FRAME128, 15), 15, 391},
      {"16 frames: kept as MP3, a frame longer", Repeat(K_FRAME128, 16), 16, 444},
      {"a frame that lost its sync ends the count", lostSync, 5, 130},
      {"a last frame that runs past the end is left out", lastCut, 16, 444},
      {"an ID3v1 tag is no sound", tagged, 16, 444},
      {"free format: the length is where the header recurs",
       Frames({0xFF, 0xFB, 0x00, 0xC4}, 300, 40), 40, 1071},
      {"Layer II at 192 kbit/s in stereo", Frames({0xFF, 0xFD, 0xA0, 0x04}, 626, 20), 20, 548},
      {"Layer I frames decode to 384 samples", Frames({0xFF, 0xFF, 0x40, 0xC0}, 136, 60), 60, 548},
  };
  for (const auto& row : rows) {
    const VoiceCheck check = CheckMp3Bytes(row.bytes.data(), row.bytes.size());
    EXPECT_EQ(check.verdict, VoiceVerdict::Plays) << row.what;
    const uint64_t perFrame = check.layer == 1 ? 768 : 2304;
    EXPECT_EQ(check.loaderBytes, row.frames * perFrame) << row.what;
    EXPECT_EQ(check.captionMs, row.captionMs) << row.what;
  }
}

TEST(Mp3LoaderRules, RefusesOrQuitsWhereTheLoaderDoes) {
  const Bytes hugeTag = Bytes{'I', 'D', '3', 3, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F};
  const struct {
    const char* what;
    Bytes bytes;
    VoiceVerdict verdict;
    VoiceProblem problem;
  } rows[] = {
      {"Layer II at 384 kbit/s in mono", Frames({0xFF, 0xFD, 0xE0, 0xC4}, 1253, 20),
       VoiceVerdict::Refuses, VoiceProblem::BitRateForMode},
      {"Layer II at 48 kbit/s in stereo", Frames({0xFF, 0xFD, 0x20, 0x04}, 156, 20),
       VoiceVerdict::Refuses, VoiceProblem::BitRateForMode},
      {"a reserved sample rate with the MPEG-2.5 sync", Frames({0xFF, 0xE3, 0x1C, 0x00}, 100, 1),
       VoiceVerdict::Quits, VoiceProblem::DividesByZero},
      {"nothing but a tag that claims 256 MB", hugeTag, VoiceVerdict::Refuses,
       VoiceProblem::Id3v2AtStart},
      {"frames right behind a tag that claims 256 MB", hugeTag + Repeat(K_FRAME128, 16),
       VoiceVerdict::Plays, VoiceProblem::None},
      {"a single byte", Bytes{0xFF}, VoiceVerdict::Refuses, VoiceProblem::NotMpeg},
      {"frames in the second half only", Bytes(2000, 0) + Repeat(K_FRAME128, 4),
       VoiceVerdict::Refuses, VoiceProblem::NotMpeg},
  };
  for (const auto& row : rows) {
    const VoiceCheck check = CheckMp3Bytes(row.bytes.data(), row.bytes.size());
    EXPECT_EQ(check.verdict, row.verdict) << row.what;
    EXPECT_EQ(check.problem, row.problem) << row.what;
  }
}

// Random bytes hold header-like pairs by the dozen; the loader takes some of them for a
// 44,100 Hz Layer III header, and then plays a burst of noise.
TEST(Mp3LoaderRules, NeverLetsRandomBytesPlay) {
  std::mt19937 random(1);
  for (int file = 0; file < 200; ++file) {
    Bytes bytes(1 + random() % 8000);
    for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
    const VoiceCheck check = CheckMp3Bytes(bytes.data(), bytes.size());
    EXPECT_NE(check.verdict, VoiceVerdict::Plays) << "file " << file;
  }
}

// A WAV file: RIFF header, the chunks given, then fmt and data.
Bytes Wav(int format, int channels, int rate, int bits, uint32_t dataBytes,
          const Bytes& before = {}) {
  auto little = [](uint32_t value, int bytes) {
    Bytes out;
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    return out;
  };
  const Bytes fmt = Bytes{'f', 'm', 't', ' '} + little(16, 4) + little(format, 2) +
                    little(channels, 2) + little(rate, 4) + little(rate * channels * bits / 8, 4) +
                    little(channels * bits / 8, 2) + little(bits, 2);
  const Bytes data = Bytes{'d', 'a', 't', 'a'} + little(dataBytes, 4) + Bytes(dataBytes, 0x80);
  const Bytes body = Bytes{'W', 'A', 'V', 'E'} + before + fmt + data;
  return Bytes{'R', 'I', 'F', 'F'} + little(static_cast<uint32_t>(body.size()), 4) + body;
}

TEST(WavLoaderRules, FollowsTheChunksAndRefusesWhatTheLoaderDoes) {
  const Bytes list = Bytes{'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
  const struct {
    const char* what;
    Bytes bytes;
    VoiceVerdict verdict;
    VoiceProblem problem;
    uint32_t ms;
  } rows[] = {
      {"an odd-sized chunk before fmt", Wav(1, 1, 8000, 8, 4000, list), VoiceVerdict::Plays,
       VoiceProblem::None, 500},
      {"4-bit samples: the loader divides by zero", Wav(1, 1, 8000, 4, 100), VoiceVerdict::Quits,
       VoiceProblem::WavSampleWidth, 0},
      {"...even in stereo, before it looks at the channels", Wav(1, 2, 8000, 4, 100),
       VoiceVerdict::Quits, VoiceProblem::WavSampleWidth, 0},
      {"stereo ADPCM", Wav(2, 2, 22050, 4, 100), VoiceVerdict::Refuses, VoiceProblem::WavNotMono,
       0},
      {"no samples", Wav(1, 1, 22050, 16, 0), VoiceVerdict::Misplays, VoiceProblem::WavNoSamples,
       0},
      {"no sample rate", Wav(1, 1, 0, 16, 100), VoiceVerdict::Misplays,
       VoiceProblem::WavNoSampleRate, 0},
  };
  for (const auto& row : rows) {
    const VoiceCheck check = CheckWavBytes(row.bytes.data(), row.bytes.size());
    EXPECT_EQ(check.verdict, row.verdict) << row.what;
    EXPECT_EQ(check.problem, row.problem) << row.what;
    EXPECT_EQ(check.captionMs, row.ms) << row.what;
  }
}

// The loader holds a WAV file's samples at 16 bits twice over, in one block whose size
// must fit 32 bits: 536,870,905 samples, 12,173 s at 44,100 Hz. The checker reads no
// sample, so a sparse file stands in for 600 MB of them.
TEST(WavLoaderRules, TellsTooLongAFileBeyondTheGamesCount) {
  ScratchDirectory folder;
  const std::string path = folder.path + "/long.wav";
  WriteWholeFile(path, Wav(1, 1, 44100, 8, 0));
  std::filesystem::resize_file(path, 600000044);
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  file.seekp(40).write("\x00\x46\xC3\x23", 4);  // the data chunk's length: 600,000,000
  file.close();
  EXPECT_EQ(DescribeVoiceCheck("long.wav", CheckVoiceFile(path)),
            "long.wav: Jedi Outcast quits on it: 13,605.442 s long, over the 12,173 s the game "
            "takes: it stops with a fatal memory error");
}

}  // namespace
