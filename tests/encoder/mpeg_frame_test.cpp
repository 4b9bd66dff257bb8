// The frame header reader over every version and layer and over bytes that are no header,
// where the Info tag and the first frame of a file are, and the seek table against the one
// the encoder library writes.
#include "encoder/mpeg_frame.h"

#include <cstring>

#include "tests/test_support.h"

namespace {

constexpr MpegVersion K_MPEG1 = MpegVersion::Mpeg1, K_MPEG2 = MpegVersion::Mpeg2,
                      K_MPEG25 = MpegVersion::Mpeg25;
constexpr MpegChannelMode K_STEREO = MpegChannelMode::Stereo,
                          K_JOINT = MpegChannelMode::JointStereo,
                          K_DUAL = MpegChannelMode::DualChannel, K_MONO = MpegChannelMode::Mono;

// Lengths worked out by hand: Layer I (12 x rate / sample rate + padding) x 4 bytes,
// Layer II and MPEG-1 Layer III 144 x rate / sample rate + padding, Layer III after MPEG-1
// 72 x rate / sample rate + padding. The Info tag follows the header and 17 or 32 bytes of
// side information in MPEG-1, 9 or 17 after it (mono or not), whether or not a CRC is there.
TEST(MpegFrameHeader, TellsTheVersionLayerRatesModeAndLength) {
  const struct {
    uint8_t bytes[4];
    MpegVersion version;
    int layer;
    bool crc;
    int kbps, hz;
    bool padding;
    MpegChannelMode mode;
    size_t length, samples, infoAt;
  } rows[] = {
      {{0xFF, 0xFB, 0x90, 0xC4}, K_MPEG1, 3, false, 128, 44100, false, K_MONO, 417, 1152, 21},
      {{0xFF, 0xFA, 0x92, 0x04}, K_MPEG1, 3, true, 128, 44100, true, K_STEREO, 418, 1152, 36},
      {{0xFF, 0xF3, 0x80, 0x40}, K_MPEG2, 3, false, 64, 22050, false, K_JOINT, 208, 576, 21},
      {{0xFF, 0xF3, 0xE4, 0x80}, K_MPEG2, 3, false, 160, 24000, false, K_DUAL, 480, 576, 21},
      {{0xFF, 0xE3, 0x18, 0xC0}, K_MPEG25, 3, false, 8, 8000, false, K_MONO, 72, 576, 13},
      {{0xFF, 0xFD, 0xC4, 0x00}, K_MPEG1, 2, false, 256, 48000, false, K_STEREO, 768, 1152, 0},
      {{0xFF, 0xF5, 0xD8, 0xC0}, K_MPEG2, 2, false, 144, 16000, false, K_MONO, 1296, 1152, 0},
      {{0xFF, 0xFF, 0x12, 0xC0}, K_MPEG1, 1, false, 32, 44100, true, K_MONO, 36, 384, 0},
      {{0xFF, 0xF7, 0xE0, 0x00}, K_MPEG2, 1, false, 256, 22050, false, K_STEREO, 556, 384, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::PrintToString(Bytes(row.bytes, row.bytes + 4)));
    MpegFrameHeader header;
    ASSERT_TRUE(ReadMpegFrameHeader(row.bytes, 4, &header));
    EXPECT_EQ(header.version, row.version);
    EXPECT_EQ(header.layer, row.layer);
    EXPECT_EQ(header.crcProtected, row.crc);
    EXPECT_EQ(header.bitRate, row.kbps);
    EXPECT_EQ(header.sampleRate, row.hz);
    EXPECT_EQ(header.padding, row.padding);
    EXPECT_EQ(header.mode, row.mode);
    EXPECT_EQ(header.length, row.length);
    EXPECT_EQ(header.samples, row.samples);
    Bytes frame(row.length, 0);
    std::memcpy(frame.data(), row.bytes, 4);
    if (row.infoAt != 0) std::memcpy(&frame[row.infoAt], "Info", 4);
    EXPECT_EQ(FindInfoTag(frame.data(), frame.size()), row.infoAt);
    EXPECT_EQ(FindInfoTag(frame.data(), frame.size() - 1), 0u) << "a frame cut short";
  }
}

TEST(MpegFrameHeader, RefusesBytesThatAreNoHeaderOrUseAReservedOrFreeValue) {
  const struct { uint8_t bytes[4]; const char* what; } rows[] = {
      {{0xFE, 0xFB, 0x90, 0xC4}, "a sync bit off in the first byte"},
      {{0xFF, 0x7B, 0x90, 0xC4}, "a sync bit off in the second byte"},
      {{0xFF, 0xEB, 0x90, 0xC4}, "the reserved version"},
      {{0xFF, 0xF9, 0x90, 0xC4}, "the reserved layer"},
      {{0xFF, 0xFB, 0x00, 0xC4}, "free format"},
      {{0xFF, 0xFB, 0xF0, 0xC4}, "the bad bit rate"},
      {{0xFF, 0xFB, 0x9C, 0xC4}, "the reserved sample rate"},
  };
  MpegFrameHeader header;
  for (const auto& row : rows) {
    header.length = 417;
    EXPECT_FALSE(ReadMpegFrameHeader(row.bytes, 4, &header)) << row.what;
    EXPECT_EQ(header.length, 0u) << row.what << ": the header is cleared";
  }
  const uint8_t good[4] = {0xFF, 0xFB, 0x90, 0xC4};
  EXPECT_FALSE(ReadMpegFrameHeader(good, 3, &header)) << "three bytes are no header";
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

// A full encode of mono samples with the writer's settings, its Info frame written in.
Bytes EncodeToFile(const std::vector<int16_t>& pcm, const std::string& path) {
  const BE_CONFIG config = WriterSettings();
  uint32_t chunk = 0, bufferSize = 0, count = 0;
  HBE_STREAM stream = nullptr;
  EXPECT_EQ(beInitStream(&config, &chunk, &bufferSize, &stream), BE_ERR_SUCCESSFUL);
  Bytes out(pcm.size() * 5 / 4 + 7200);
  EXPECT_EQ(beEncodeChunk(stream, static_cast<uint32_t>(pcm.size()), pcm.data(), out.data(),
                          &count), BE_ERR_SUCCESSFUL);
  Bytes file(out.begin(), out.begin() + count);
  EXPECT_EQ(beDeinitStream(stream, out.data(), &count), BE_ERR_SUCCESSFUL);
  file.insert(file.end(), out.begin(), out.begin() + count);
  beCloseStream(stream);
  WriteWholeFile(path, file);
  EXPECT_EQ(beWriteVBRHeader(path.c_str()), BE_ERR_SUCCESSFUL);
  return ReadWholeFile(path);
}

// The library's own table for 1,000 frames that swing between noise and silence in runs of
// 1 to 23 frames: its 400 slots are halved at 400 and again at 800 frames, and with uneven
// rates a slip in which sums are kept moves entries. The frames are counted in runs of one
// rate, as repeated frames are.
TEST(InfoFrame, SeekTableHalvesAsTheEncodersOwn) {
  constexpr size_t K_FRAME = 1152, K_FRAMES = 1000;
  std::vector<int16_t> pcm(K_FRAMES * K_FRAME, 0);
  uint32_t noise = 1;
  for (size_t frame = 0, run = 0; frame < K_FRAMES; ++run) {
    for (size_t k = 0; k <= run * 7 % 23 && frame < K_FRAMES; ++k, ++frame) {
      for (size_t i = 0; run % 2 == 1 && i < K_FRAME; ++i) {
        noise = noise * 1103515245 + 12345;
        pcm[frame * K_FRAME + i] = static_cast<int16_t>(noise >> 16);
      }
    }
  }
  ScratchDirectory scratch;
  const Bytes file = EncodeToFile(pcm, scratch.path + "/noise.mp3");
  MpegFrameHeader header;
  ASSERT_TRUE(ReadMpegFrameHeader(file.data(), file.size(), &header));
  const size_t mark = FindFullInfoTag(file.data(), header.length);
  ASSERT_NE(mark, 0u);
  const uint8_t* info = file.data() + mark;

  XingSeekTable table;
  int rate = 0;
  uint64_t run = 0;
  for (size_t at = header.length;
       at < file.size() && ReadMpegFrameHeader(file.data() + at, file.size() - at, &header);
       at += header.length) {
    if (header.bitRate != rate && run > 0) {
      table.Add(rate, run);
      run = 0;
    }
    rate = header.bitRate;
    ++run;
  }
  table.Add(rate, run);
  EXPECT_EQ(table.Frames(), ReadBigEndian32(info + INFO_XING_FRAMES));
  EXPECT_GT(table.Frames(), 800u);
  uint8_t toc[INFO_TOC_ENTRIES];
  table.Fill(toc);
  EXPECT_EQ(Bytes(toc, toc + INFO_TOC_ENTRIES),
            Bytes(info + INFO_XING_TOC, info + INFO_XING_TOC + INFO_TOC_ENTRIES));
}

}  // namespace
