// The checker against voice files that LAME and SoX make, as map makers' editors would,
// and against the writer's own files; the file reader against the same bytes in memory; a
// folder that cannot be listed. Then the loader's rules on streams built byte by byte, for
// what no encoder writes: frames near the size at which the game stops decoding a voice
// file whole, broken and cut frames, free format, Layer I and II, headers that crash the
// game, odd WAV files. The MP3 counts and verdicts were worked out from the loader's code
// and confirmed by its own routines (C_MP3_IsValid, C_MP3_GetUnpackedSize) in a harness
// apart from this project.
#include "checker/voice_check.h"

#include <algorithm>
#include <random>
#include <tuple>

#include "checker/byte_source.h"
#include "generator/hushmaker.h"
#include "platform/platform.h"
#include "tests/test_support.h"

namespace {

VoiceCheck CheckBytes(const Bytes& bytes, bool wav) {
  return wav ? CheckWavBytes(bytes.data(), bytes.size())
             : CheckMp3Bytes(bytes.data(), bytes.size());
}

// Made once for every test here: a tone of 3 s mono and 3 s stereo at 44,100 Hz, with SoX's
// dither off so that each run makes the same bytes. The writer's own files are the --check
// script's and long_file_test's; the reader's windows over a file are ByteSource's test.
class ToolFiles : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder = new ScratchDirectory();
    Make("sox -R -D -n -r 44100 -c 1 -b 16 tone3.wav synth 3 sine 440 vol 0.5");
    Make("sox -R -D -n -r 44100 -c 2 -b 16 tone3s.wav synth 3 sine 440 sine 660 vol 0.5");
  }
  static void TearDownTestSuite() { delete folder; }
  static void Make(const std::string& command) {
    ASSERT_EQ(RunCommand("cd " + folder->path + " && " + command + " 2>&1").status, 0) << command;
  }
  static std::string Path(const std::string& name) { return folder->path + "/" + name; }
  static ScratchDirectory* folder;
};
ScratchDirectory* ToolFiles::folder = nullptr;

// MP3 captions: the decoded bytes counted by the loader's own decode-size routine
// (C_MP3_GetUnpackedSize of the game's mp3code), built in a harness apart from this project
// and run on these very files (LAME 3.100, SoX 14.4.2 with twolame), as 16-bit samples,
// plus the frame the game adds to a voice file it keeps as MP3, in whole milliseconds: the
// figure the game is known to show for such a file (3.082 s) comes out so.
TEST_F(ToolFiles, TellsWhatTheGameDoesWithEachFile) {
  // What is said up to the advice after a semicolon, which is the same for every file.
  const struct { const char* name; const char* make; const char* after; } rows[] = {
      {"cbr_mono.mp3", "lame --quiet -b 128 tone3.wav cbr_mono.mp3",
       "plays it, caption 3.082 s (MPEG-1 Layer III, 44,100 Hz, mono, CBR)"},
      {"vbr_stereo.mp3", "lame --quiet -V 4 tone3s.wav vbr_stereo.mp3",
       "plays it, caption 3.082 s (MPEG-1 Layer III, 44,100 Hz, stereo, VBR)"},
      // LAME writes the title in UTF-16, whose byte order mark FF FE the loader takes for
      // a Layer I header at 48,000 Hz.
      {"id3v2.mp3", "lame --quiet -b 128 --id3v2-only --tt Guard tone3.wav id3v2.mp3",
       "refuses it: it starts with an ID3v2 tag, which the game reads as sound"},
      {"layer2.mp3", "sox -R tone3.wav -t mp2 -C 128 layer2.mp3",
       "plays it, caption 3.030 s (MPEG-1 Layer II, 44,100 Hz, mono, CBR)"},
      {"renamed.mp3", "cp tone3.wav renamed.mp3",
       "does not play it: a WAV file under an .mp3 name, which the game decodes as MP3"},
      {"stereo.wav", "cp tone3s.wav stereo.wav", "refuses it: 2 channels"},
      {"float.wav", "sox -R -n -r 44100 -e floating-point -b 32 float.wav synth 1 sine 440",
       "does not play it: its samples are floating point (format 3), not plain PCM"},
      {"w24.wav", "sox -R -D -n -r 44100 -b 24 -t wavpcm w24.wav synth 1 sine 440",
       "does not play it: 24-bit samples"},
      {"wcut.wav", "head -c 10000 tone3.wav > wcut.wav",
       "does not play it: cut short: the game reads its samples on past the end of the file, "
       "and may crash or play noise"},
      {"mp3.wav", "cp cbr_mono.mp3 mp3.wav", "refuses it: not a WAV file"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Make(row.make);
    const VoiceCheck check = CheckVoiceFile(Path(row.name));
    const std::string said = DescribeVoiceCheck(row.name, check);
    EXPECT_EQ(said.substr(0, said.find(';')),
              std::string(row.name) + ": Jedi Outcast " + row.after);
  }
}

// Found missing or no file before the name is judged. A folder that cannot be listed is told
// with the system's reason (the folder walk's order is the --check script's). A read that
// fails part way is told as a read failure, never judged from what was read.
TEST_F(ToolFiles, TellsAFileOrFolderItCannotReadOrDoesNotJudge) {
  Make("mkdir folder.mp3 && touch notes.txt");
  const VoiceFolder missing = ListVoiceFiles(Path("gone"));
  ASSERT_EQ(missing.failures.size(), 1u);
  EXPECT_EQ(missing.failures[0].reason, "No such file or directory");
  EXPECT_EQ(CheckVoiceFile(Path("folder.mp3")).verdict, VoiceVerdict::Unreadable);
  EXPECT_EQ(DescribeVoiceCheck("notes.txt", CheckVoiceFile(Path("notes.txt"))),
            "notes.txt: not judged: the game loads voice files named .mp3 or .wav");
  std::FILE* file = std::fopen(folder->path.c_str(), "rb");  // reads fail with EISDIR
  ASSERT_NE(file, nullptr);
  for (const VoiceFormat format : {VoiceFormat::Mp3, VoiceFormat::Wav}) {
    const VoiceCheck check = CheckVoiceStream(file, 1000, format);
    EXPECT_EQ(std::tuple(check.verdict, check.reason),
              std::tuple(VoiceVerdict::Unreadable, std::string("Is a directory")));
  }
  std::fclose(file);
}

using V = VoiceVerdict;
using P = VoiceProblem;

// `count` frames of one header, `length` bytes each with zero bodies: the loader counts
// frames by their headers alone.
Bytes Frames(uint32_t header, size_t length, size_t count) {
  Bytes frames(length * count, 0);
  for (size_t at = 0; at < frames.size(); at += length) WriteBigEndian32(&frames[at], header);
  return frames;
}

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// A WAV file of Wav()'s layout whose data chunk claims `length` bytes.
Bytes ClaimingData(Bytes wav, uint32_t length) {
  constexpr size_t WAV_DATA_LENGTH = 40;  // RIFF header 12, fmt chunk 24, "data" 4
  for (int i = 0; i < 4; ++i) wav[WAV_DATA_LENGTH + i] = static_cast<uint8_t>(length >> (8 * i));
  return wav;
}

// `bytes` with the header at `at` replaced.
Bytes WithHeader(Bytes bytes, size_t at, uint32_t header) {
  WriteBigEndian32(&bytes[at], header);
  return bytes;
}

// `bytes` without its last `missing`.
Bytes CutShort(Bytes bytes, size_t missing) {
  bytes.resize(bytes.size() - missing);
  return bytes;
}

// Layer III, MPEG-1, no CRC, 44,100 Hz, mono: 128 kbit/s frames are 417 bytes, 320 kbit/s
// ones 1,044. The game adds a frame to the count of a file it keeps as MP3, which it does
// when the file is more than 31,760 bytes smaller than that: from 16 such frames on.
constexpr uint32_t K_128 = 0xFFFB90C4;
Bytes Frames128(size_t count) { return Frames(K_128, 417, count); }

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

// Bytes that start as a RIFF file go to the WAV loader, the others to the MP3 loader. Counted
// MP3 frames decode to 1,152 samples each (Layer I: 384); the caption adds one frame to
// those of a file kept as MP3. WAV samples are resampled to the game's 44,100 Hz, and every
// caption is counted in the game's single-precision steps. Where `said` is given, it is a
// part of what a map maker reads. Long WAV files are judged from their headers, so a header
// claiming one stands for it: the loader holds the samples at 16 bits twice over, then the
// resampled ones, in blocks whose sizes must fit 32 bits (536,870,905 samples, 1,073,741,811
// resampled), and its resampler's position wraps round after 2^24 samples.
TEST(LoaderRules, CountRefuseOrQuitAsTheGameDoes) {
  // A tag after a last frame cut short, whose bytes would complete it if counted as sound.
  const Bytes id3v1 = Frames(K_128, 317, 1) + Bytes{'T', 'A', 'G'} + Bytes(125, 0);
  const Bytes hugeTag = Bytes{'I', 'D', '3', 3, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F};
  const Bytes list = Bytes{'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
  // 22,050 Hz MPEG-2 Layer III at 64 kbit/s, mono.
  const Bytes frames22050 = Frames(0xFFF380C4, 208, 30);
  // MPEG-1 at 320 kbit/s: its version bit cleared, the header gives MPEG-2's 160 kbit/s at
  // 22,050 Hz, which the first frame's decoder counts as the same 1,044 bytes.
  const Bytes frames320 = Frames(0xFFFBE0C4, 1044, 20);
  const struct { const char* what; Bytes bytes; VoiceVerdict verdict; VoiceProblem problem;
                 uint32_t captionMs = 0; const char* said = nullptr; } rows[] = {
      {"16 frames: kept as MP3, a frame longer", Frames128(16), V::Plays, P::None, 444},
      // The file and the margin exactly as large as the sound and a frame: decoded whole.
      {"16 frames and zeros to the margin", Frames128(16) + Bytes(736, 0), V::Plays, P::None, 417},
      {"16 frames and zeros a byte short of it", Frames128(16) + Bytes(735, 0), V::Plays, P::None,
       444},
      // The twelfth sync bit cleared in the sixth frame.
      {"a lost sync", Frames128(5) + Frames(0xFFEB90C4, 417, 11), V::Plays, P::None, 130},
      {"a cut last frame", Frames128(16) + Frames(0xFFFBE0C4, 544, 1), V::Plays, P::None, 444},
      {"an ID3v1 tag", Frames128(16) + id3v1, V::Plays, P::None, 444},
      // The length is where the first two header bytes recur.
      {"free format", Frames(0xFFFB00C4, 300, 40), V::Plays, P::None, 1071},
      {"Layer II, 192 kbit/s, stereo", Frames(0xFFFDA004, 626, 20), V::Plays, P::None, 548},
      {"Layer II, 192 kbit/s, mono", Frames(0xFFFDA0C4, 626, 20), V::Plays, P::None, 548},
      {"Layer I", Frames(0xFFFF40C0, 136, 60), V::Plays, P::None, 548},
      // 3,201,792 samples: 72,602.993 ms, but 72,603 in single precision.
      {"a caption in single precision", Frames(0xFFFF10C0, 32, 8335), V::Plays, P::None, 72603},
      {"Layer II, 384 kbit/s, mono", Frames(0xFFFDE0C4, 1253, 20), V::Refuses, P::BitRateForMode},
      {"Layer II, 48 kbit/s, stereo", Frames(0xFFFD2004, 156, 20), V::Refuses, P::BitRateForMode},
      // A reserved sample rate with the MPEG-2.5 sync.
      {"no sample rate", Frames(0xFFE31C00, 100, 1), V::Quits, P::DividesByZero},
      // Damage in the second header: the loader plays the first frame, as if the file ended
      // there; the frames after it show that it is MPEG audio.
      {"a broken second header", WithHeader(Frames128(16), 417, 0), V::Plays, P::None, 26},
      {"a broken second header at 22,050 Hz", WithHeader(frames22050, 208, 0), V::Refuses,
       P::SampleRate},
      {"an MPEG-2 second header", WithHeader(frames320, 1044, 0xFFF3E0C4), V::Plays, P::None, 522},
      {"only a tag that claims 256 MB", hugeTag, V::Refuses, P::Id3v2CutShort, 0,
       "refuses it: cut short inside the ID3v2 tag"},
      {"cut inside a tag's header", Bytes{'I', 'D', '3', 3, 0}, V::Refuses, P::Id3v2CutShort},
      {"a whole tag and nothing after it", Bytes{'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0}, V::Refuses,
       P::Id3v2AtStart},
      {"frames in that tag", hugeTag + Frames128(16), V::Plays, P::None, 444},
      {"frames in the second half only", Bytes(2000, 0) + Frames128(4), V::Refuses, P::NotMpeg},
      {"cut short before a whole frame", Frames(K_128, 300, 1), V::Misplays, P::NoWholeFrame},
      {"an odd-sized chunk before fmt", Wav(1, 1, 8000, 8, 4000, list), V::Plays, P::None, 500},
      {"120 s", Wav(1, 1, 8000, 8, 960000), V::Plays, P::None, 120000,
       "plays it, caption 120.000 s (WAV, 8-bit PCM, 8,000 Hz, mono)"},
      // Too many resampled; too many samples; a position that wraps round.
      {"a header claiming 200,000,000 bytes", ClaimingData(Wav(1, 1, 8000, 8, 1000), 200000000),
       V::Quits, P::TooLong, 0, "quits on it: cut short, but its header claims 25,000.000 s"},
      {"600,000,000 samples", ClaimingData(Wav(1, 1, 44100, 8, 0), 600000000), V::Quits,
       P::TooLong, 0, "13,605.442 s, over the 12,173 s"},
      {"20,000,000 samples", ClaimingData(Wav(1, 1, 44100, 8, 0), 20000000), V::Misplays,
       P::WavWrapsRound, 0, "it plays the first 380 s and then starts over"},
      // Before it looks at the channels.
      {"4-bit samples: the loader divides by zero", Wav(1, 2, 8000, 4, 100), V::Quits,
       P::WavSampleWidth},
      {"stereo ADPCM", Wav(2, 2, 22050, 4, 100), V::Refuses, P::WavNotMono},
      {"no samples", Wav(1, 1, 22050, 16, 0), V::Misplays, P::WavNoSamples},
      {"no sample rate", Wav(1, 1, 0, 16, 100), V::Misplays, P::WavNoSampleRate},
      // 502,740 samples exactly, 502,739 in the loader's steps.
      {"single precision", Wav(1, 1, 4000, 16, 91200), V::Plays, P::None, 11399},
      // The loader reads the samples the header claims as far as its resampler goes: at
      // 8,000 Hz it steps 46/256 of a sample for each 8,000/44,100 and reads 9,906 of 10,000,
      // the last of them the zero the game puts behind a file.
      {"short where it never reads", CutShort(Wav(1, 1, 8000, 8, 10000), 95), V::Plays, P::None,
       1250},
      {"short where it reads", CutShort(Wav(1, 1, 8000, 8, 10000), 96), V::Misplays,
       P::WavCutShort},
      // A negative count, which cannot be allocated; a count that leaves the int's range.
      {"a negative sample rate", Wav(1, 1, -44100, 16, 100), V::Quits, P::WavNoSampleRate},
      {"1 Hz", Wav(1, 1, 1, 16, 100000), V::Misplays, P::WavNoSampleRate},
  };
  for (const auto& row : rows) {
    const bool wav = std::equal(row.bytes.begin(), row.bytes.begin() + 4, "RIFF");
    const VoiceCheck check = CheckBytes(row.bytes, wav);
    EXPECT_EQ(std::tuple(check.verdict, check.problem, check.captionMs),
              std::tuple(row.verdict, row.problem, row.captionMs)) << row.what;
    if (row.said) {
      EXPECT_NE(DescribeVoiceCheck("f", check).find(row.said), std::string::npos) << row.what;
    }
  }
}

// Random bytes hold header-like pairs by the dozen; the loader takes some of them for a
// 44,100 Hz Layer III header, and then plays a burst of noise.
TEST(LoaderRules, NeverLetRandomBytesPlayAsMp3) {
  std::mt19937 random(1);
  for (int file = 0; file < 200; ++file) {
    Bytes bytes(1 + random() % 8000);
    for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
    EXPECT_NE(CheckMp3Bytes(bytes.data(), bytes.size()).verdict, V::Plays) << "file " << file;
  }
}

// Every width but 8 and 16 bits is misread: under 8 the loader divides by zero; 9 to 15
// it reads as 8, 17 to 23 as 16, and wider ones byte by byte.
TEST(LoaderRules, PlayOnlyEightAndSixteenBitWavSamples) {
  for (int bits = 1; bits <= 64; ++bits) {
    EXPECT_EQ(CheckBytes(Wav(1, 1, 22050, bits, 4000), true).verdict,
              bits < 8 ? V::Quits : bits == 8 || bits == 16 ? V::Plays : V::Misplays) << bits;
  }
}

// A file hands out the bytes its buffer would for any forward walk of views, short ones
// and ones longer than the window, stepping back within BACK_BYTES and skipping ahead.
TEST(ByteSource, AFileGivesTheBytesOfItsBufferWhereverItsWindowStands) {
  ScratchDirectory scratch;
  Bytes bytes(400000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 % 251);
  const std::string path = scratch.path + "/bytes";
  WriteWholeFile(path, bytes);
  std::FILE* file = std::fopen(path.c_str(), "rb");
  ByteSource source(file, bytes.size());
  std::mt19937 random(7);
  for (uint64_t at = 0; at < bytes.size(); at += random() % 3 == 0 ? 80000 : random() % 9000) {
    const size_t count = random() % 4 == 0 ? 70000 : random() % 2000;
    const uint64_t from = at - std::min<uint64_t>(at, random() % ByteSource::BACK_BYTES);
    const uint8_t* view = source.View(from, count);
    if (from + count > bytes.size()) {
      EXPECT_EQ(view, nullptr);
      continue;
    }
    ASSERT_NE(view, nullptr) << from << " + " << count;
    ASSERT_EQ(std::memcmp(view, &bytes[from], count), 0) << from << " + " << count;
  }
  EXPECT_EQ(std::memcmp(source.Tail(128), &bytes[bytes.size() - 128], 128), 0);
  ByteSource again(file, bytes.size());  // every edge of the window, a byte at a time
  for (uint64_t at = 0; at + 2 <= bytes.size(); ++at) {
    const uint8_t* view = again.View(at, 2);
    ASSERT_TRUE(view && view[0] == bytes[at] && view[1] == bytes[at + 1]) << at;
  }
  std::fclose(file);
}

}  // namespace
