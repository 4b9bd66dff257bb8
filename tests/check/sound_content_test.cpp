// Whether a file holds sound, told from its bytes: MPEG frames built here bit by bit in each
// layout of their side information, WAV files of each sample width, and real files.
#include "checker/sound_content.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "generator/hushmaker.h"
#include "tests/test_support.h"

namespace {

// A frame of `header` (four bytes) `length` bytes long, all zero behind the header but for
// the part2_3_length of side information record `record` (0: none), `sideStart` bytes
// behind the header's start, `lead` bits into the side information, records `stride` bits
// apart. A CRC, where one is, is filled with ones.
Bytes Frame(uint32_t header, size_t length, size_t sideStart = 4, size_t lead = 0,
            size_t stride = 0, int record = 0) {
  Bytes frame(length, 0);
  for (int at = 0; at < 4; ++at) frame[at] = static_cast<uint8_t>(header >> (24 - 8 * at));
  for (size_t at = 4; at < sideStart; ++at) frame[at] = 0xFF;
  if (record > 0) {
    // The last bit of its 12, so that a record read one place off reads nothing.
    const size_t bit = sideStart * 8 + lead + (record - 1) * stride + 11;
    frame[bit / 8] |= static_cast<uint8_t>(0x80 >> (bit % 8));
  }
  return frame;
}

Bytes Times(const Bytes& frame, int count) {
  Bytes stream;
  for (int index = 0; index < count; ++index) stream.insert(stream.end(), frame.begin(), frame.end());
  return stream;
}

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Little(uint32_t value, int bytes) {
  Bytes out;
  for (int at = 0; at < bytes; ++at) out.push_back(static_cast<uint8_t>(value >> (8 * at)));
  return out;
}

// A WAV file: a RIFF header, an odd-length chunk the reader must step over with its pad
// byte, fmt (format, bits) and data.
Bytes Wav(int format, int bits, const Bytes& samples) {
  const Bytes fmt = Text("fmt ") + Little(16, 4) + Little(format, 2) + Little(1, 2) +
                    Little(8000, 4) + Little(8000 * bits / 8, 4) + Little(bits / 8, 2) +
                    Little(bits, 2);
  const Bytes body = Text("WAVE") + Text("LIST") + Little(3, 4) + Text("abc") + Bytes{0} + fmt +
                     Text("data") + Little(static_cast<uint32_t>(samples.size()), 4) + samples;
  return Text("RIFF") + Little(static_cast<uint32_t>(body.size()), 4) + body;
}

// Bytes that start as a RIFF file are read as WAV, others as MP3.
SoundContent Find(const Bytes& bytes) {
  const bool wav = bytes.size() >= 4 && std::equal(bytes.begin(), bytes.begin() + 4, "RIFF");
  return FindSoundContent(bytes.data(), bytes.size(), !wav);
}

TEST(FindSoundContent, TellsSoundInEachLayoutOfTheSideInformationAndEachSampleWidth) {
  // MPEG-1 at 128 kbit/s, 44,100 Hz: 417 bytes; mono leads 18 bits, stereo 20, two granules
  // of records 59 bits long. MPEG-2 at 64 kbit/s, 22,050 Hz: 208 bytes; one granule, mono
  // leads 9 bits, records 63 bits long.
  const uint32_t mono = 0xFFFB90C0, stereo = 0xFFFB9000, crcMono = 0xFFFA90C0;
  const uint32_t mpeg2Mono = 0xFFF380C0, mpeg2Stereo = 0xFFF38000;
  const struct { const char* what; Bytes stream; SoundContent content; } rows[] = {
      {"empty", {}, SoundContent::Silence},
      {"mono silence", Times(Frame(mono, 417), 3), SoundContent::Silence},
      {"mono, second granule", Times(Frame(mono, 417), 2) + Frame(mono, 417, 4, 18, 59, 2),
       SoundContent::Sound},
      {"stereo, fourth record", Frame(stereo, 417, 4, 20, 59, 4), SoundContent::Sound},
      {"a CRC is no side information", Times(Frame(crcMono, 417, 6), 2), SoundContent::Silence},
      {"CRC, then sound", Frame(crcMono, 417, 6, 18, 59, 1), SoundContent::Sound},
      {"MPEG-2 mono", Frame(mpeg2Mono, 208, 4, 9, 63, 1), SoundContent::Sound},
      {"MPEG-2 stereo, second channel", Frame(mpeg2Stereo, 208, 4, 10, 63, 2),
       SoundContent::Sound},
      {"tags at either end", Text("ID3") + Bytes{3, 0, 0, 0, 0, 0, 2, 0, 0} +
                                 Times(Frame(mono, 417), 2) + Text("TAG") + Bytes(125, 'x'),
       SoundContent::Silence},
      {"a last frame cut short", Times(Frame(mono, 417), 2) + Bytes{0xFF, 0xFB, 0x90},
       SoundContent::Silence},
      {"Layer II", Frame(0xFFFD90C0, 417), SoundContent::Unknown},
      {"bytes after the frames", Frame(mono, 417) + Text("junk"), SoundContent::Unknown},
      {"no frame at all", Text("not a sound file at all"), SoundContent::Unknown},
      {"16-bit zeros", Wav(1, 16, Bytes(1000, 0)), SoundContent::Silence},
      {"16-bit, one sample at the end", Wav(1, 16, Bytes(999, 0) + Bytes{1}), SoundContent::Sound},
      {"8-bit at the middle", Wav(1, 8, Bytes(1000, 0x80)), SoundContent::Silence},
      {"8-bit zeros are the loudest", Wav(1, 8, Bytes(10, 0)), SoundContent::Sound},
      {"float", Wav(3, 32, Bytes(1000, 0)), SoundContent::Unknown},
      {"24-bit", Wav(1, 24, Bytes(999, 0)), SoundContent::Unknown},
      {"no WAVE", Text("RIFF") + Little(4, 4) + Text("AVI "), SoundContent::Unknown},
  };
  for (const auto& row : rows) EXPECT_EQ(Find(row.stream), row.content) << row.what;
  // A data chunk that claims more than the file holds: what is there tells.
  Bytes claims = Wav(1, 16, Bytes(100, 0));
  claims[claims.size() - 104] = 0xFF;
  EXPECT_EQ(Find(claims), SoundContent::Silence);
}

TEST(FindFileSoundContent, ReadsTheFileItsNameNames) {
  const ScratchDirectory scratch;
  RecordBoxes();
  ASSERT_NE(CreateBlankMP3(3, scratch.Own().c_str(), "ours"), -1);
  std::string reason;
  EXPECT_EQ(FindFileSoundContent(scratch.path + "/ours.mp3", &reason), SoundContent::Silence);
  // The extension picks the reader, in any case.
  std::filesystem::copy_file(scratch.path + "/ours.mp3", scratch.path + "/ours.MP3");
  std::filesystem::copy_file(scratch.path + "/ours.mp3", scratch.path + "/ours.wav");
  EXPECT_EQ(FindFileSoundContent(scratch.path + "/ours.MP3", &reason), SoundContent::Silence);
  EXPECT_EQ(FindFileSoundContent(scratch.path + "/ours.wav", &reason), SoundContent::Unknown);
  EXPECT_EQ(FindFileSoundContent(scratch.path + "/missing.mp3", &reason),
            SoundContent::Unreadable);
  EXPECT_NE(reason.find("No such file"), std::string::npos) << reason;
}

}  // namespace
