// The frame header reader over every version and layer and over bytes that are no header,
// and where the Info tag and the first frame of a file are; what a stream of silence checks
// before it extends the encoder library's Info frame over the frames it repeated; the repeat
// step of the Info frame's CRC-16. The seek table is checked against the encoder library's
// own with the stream calls.
#include "encoder/mpeg_frame.h"

#include <cstring>
#include <tuple>

#include "encoder/crc16.h"
#include "encoder/silent_frames.h"
#include "tests/test_support.h"

namespace {

// Lengths worked out by hand: Layer I (12 x rate / sample rate + padding) x 4 bytes,
// Layer II and MPEG-1 Layer III 144 x rate / sample rate + padding, Layer III after MPEG-1
// 72 x rate / sample rate + padding. The Info tag follows the header and 17 or 32 bytes of
// side information in MPEG-1, 9 or 17 after it (mono or not), whether or not a CRC is there.
TEST(MpegFrameHeader, TellsTheVersionLayerRatesModeAndLength) {
  using V = MpegVersion;
  using M = MpegChannelMode;
  const auto fields = [](const MpegFrameHeader& h) {
    return std::tuple(h.version, h.layer, h.crcProtected, h.bitRate, h.sampleRate, h.padding,
                      h.mode, h.length, h.samples, h.sideInfo);
  };
  // The fields in MpegFrameHeader's order, side information last.
  const struct { uint32_t bytes; MpegFrameHeader header; } rows[] = {
      {0xFFFB90C4, {V::Mpeg1, 3, false, 128, 44100, false, M::Mono, 417, 1152, 17}},
      {0xFFFA9204, {V::Mpeg1, 3, true, 128, 44100, true, M::Stereo, 418, 1152, 32}},
      {0xFFF38040, {V::Mpeg2, 3, false, 64, 22050, false, M::JointStereo, 208, 576, 17}},
      {0xFFF3E480, {V::Mpeg2, 3, false, 160, 24000, false, M::DualChannel, 480, 576, 17}},
      {0xFFE318C0, {V::Mpeg25, 3, false, 8, 8000, false, M::Mono, 72, 576, 9}},
      {0xFFFDC400, {V::Mpeg1, 2, false, 256, 48000, false, M::Stereo, 768, 1152, 0}},
      {0xFFF5D8C0, {V::Mpeg2, 2, false, 144, 16000, false, M::Mono, 1296, 1152, 0}},
      {0xFFFF12C0, {V::Mpeg1, 1, false, 32, 44100, true, M::Mono, 36, 384, 0}},
      {0xFFF7E000, {V::Mpeg2, 1, false, 256, 22050, false, M::Stereo, 556, 384, 0}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << std::hex << row.bytes);
    Bytes frame(row.header.length, 0);
    WriteBigEndian32(frame.data(), row.bytes);
    MpegFrameHeader header;
    ASSERT_TRUE(ReadMpegFrameHeader(frame.data(), 4, &header));
    EXPECT_EQ(fields(header), fields(row.header));
    const size_t infoAt = header.layer == 3 ? 4 + row.header.sideInfo : 0;
    if (infoAt != 0) std::memcpy(&frame[infoAt], "Info", 4);
    EXPECT_EQ(FindInfoTag(frame.data(), frame.size()), infoAt);
    EXPECT_EQ(FindInfoTag(frame.data(), frame.size() - 1), 0u) << "a frame cut short";
    // A whole Info/LAME tag needs 156 bytes behind the mark (the 72-byte frame has not).
    const bool room = infoAt != 0 && infoAt + INFO_LAME_TAG_END <= frame.size();
    EXPECT_EQ(FindFullInfoTag(frame.data(), frame.size()), room ? infoAt : 0u);
    frame.push_back(0);
    EXPECT_EQ(FindFullInfoTag(frame.data(), frame.size()), 0u) << "more than the one frame";
  }
}

TEST(MpegFrameHeader, RefusesBytesThatAreNoHeaderOrUseAReservedOrFreeValue) {
  // A sync bit off in the first byte, then in the second; the reserved version; the reserved
  // layer; free format; the bad bit rate; the reserved sample rate.
  const uint32_t rows[] = {0xFEFB90C4, 0xFF7B90C4, 0xFFEB90C4, 0xFFF990C4,
                           0xFFFB00C4, 0xFFFBF0C4, 0xFFFB9CC4};
  MpegFrameHeader header;
  uint8_t bytes[4];
  for (const uint32_t row : rows) {
    WriteBigEndian32(bytes, row);
    header.length = 417;
    EXPECT_FALSE(ReadMpegFrameHeader(bytes, 4, &header)) << std::hex << row;
    EXPECT_EQ(header.length, 0u) << "the header is cleared";
  }
  WriteBigEndian32(bytes, 0xFFFB90C4);
  EXPECT_FALSE(ReadMpegFrameHeader(bytes, 3, &header)) << "three bytes are no header";
}

// ID3v2 sizes are four bytes of seven bits; a footer adds ten bytes.
TEST(FirstFrameOffset, IsBehindAnId3v2Tag) {
  const struct { const char* start; size_t available, offset; } rows[] = {
      {"ID3\x04\x00\x00\x00\x00\x02\x01", 10, 10 + 257},
      {"ID3\x04\x00\x10\x00\x00\x00\x05", 10, 10 + 5 + 10},
      {"ID3\x04\x00\x00\x7F\x7F\x7F\x7F", 10, 10 + 0x0FFFFFFF},
      {"ID3\x04\x00\x00\x00\x00\x02\x01", 9, 0},
      {"\xFF\xFB\x90\xC4\x00\x00\x00\x00\x02\x01", 10, 0},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(FirstFrameOffset(reinterpret_cast<const uint8_t*>(row.start), row.available),
              row.offset) << testing::PrintToString(std::string(row.start, 10));
  }
}

// Fed the real output of a full encode, the library's frame passes as it is and comes back
// the same, as no frame was repeated; a frame with any field that disagrees with the output
// followed is refused and left alone.
TEST(SilentFrames, ExtendOnlyAnInfoFrameThatCountsTheOutputFollowed) {
  ScratchDirectory scratch;
  const Bytes file = FullEncode(3, scratch.path + "/full");
  MpegFrameHeader header;
  ASSERT_TRUE(ReadMpegFrameHeader(file.data(), file.size(), &header));
  const Bytes frame(file.begin(), file.begin() + header.length);
  const size_t mark = MPEG_HEADER_BYTES + header.sideInfo;
  // The library gave out the same bytes with its first frame kept empty for the Info frame.
  Bytes output = file;
  std::fill(output.begin() + MPEG_HEADER_BYTES, output.begin() + frame.size(), 0);
  SilentFrames followed;
  for (size_t at = 0; at < output.size(); at += 1000) {  // pieces that split frames and headers
    followed.Follow(output.data() + at, std::min<size_t>(1000, output.size() - at));
  }

  Bytes same = frame;
  EXPECT_TRUE(followed.ExtendInfoFrame(same.data(), same.size()));
  EXPECT_EQ(same, frame);
  // The mark, the frame and byte counts, the seek table, the music length and its CRC.
  for (const size_t at : {size_t{0}, INFO_XING_FRAMES + 3, INFO_XING_BYTES + 3, INFO_XING_TOC + 50,
                          INFO_LAME_MUSIC_LENGTH + 3, INFO_LAME_MUSIC_CRC + 1}) {
    Bytes changed = frame;
    changed[mark + at] ^= 1;
    const Bytes before = changed;
    EXPECT_FALSE(followed.ExtendInfoFrame(changed.data(), changed.size())) << "byte " << at;
    EXPECT_EQ(changed, before) << "byte " << at;
  }
}

// Blocks of one byte, a few bytes and the lengths of frames the encoder repeats (104 bytes
// at 32 kbit/s, 417 at 128); counts on both sides of the powers of two where the step is
// squared, and for one byte the frames of eight hours. The CRC before is not 0, so a step
// that loses it shows.
TEST(Crc16, RepeatedStepEqualsThatManyPlainUpdates) {
  std::vector<uint8_t> block(417);
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i * 151 + 7);
  for (size_t length : {1, 5, 104, 417}) {
    for (uint64_t times : {0, 1, 2, 3, 4, 7, 8, 9, 255, 256, 1000, 1102500}) {
      if (times > 1000 && length > 1) continue;
      uint16_t plain = 0x1D0F;
      for (uint64_t i = 0; i < times; ++i) plain = UpdateCrc16(plain, block.data(), length);
      EXPECT_EQ(UpdateCrc16Repeated(0x1D0F, block.data(), length, times), plain)
          << length << " bytes " << times << " times";
    }
  }
}

}  // namespace
