// Tests of the encoder's stream interface, read back with the frame walker and mpg123.
#include "encoder/encoder_stream.h"

#include <gtest/gtest.h>
#include <lame/lame.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "mp3_test_tools.h"

namespace {

constexpr uint32_t kRate = 44100;

// The writer's configuration; the rows below change one thing at a time.
BE_CONFIG SilenceConfig() {
  BE_CONFIG c;
  std::memset(&c, 0, sizeof(c));
  c.dwConfig = BE_CONFIG_LAME;
  c.dwStructVersion = 1;
  c.dwStructSize = BE_CONFIG_SIZE;
  c.dwSampleRate = kRate;
  c.nMode = BE_MP3_MODE_MONO;
  c.dwBitrate = 32;
  c.dwMaxBitrate = 128;
  c.dwMpegVersion = MPEG1;
  c.bCopyright = c.bOriginal = c.bWriteVBRHeader = c.bEnableVBR = 1;
  c.nVBRQuality = 9;
  return c;
}

// A whole stream of silence into a file, its Xing/Info frame written afterwards.
void EncodeToFile(const BE_CONFIG& config, uint32_t samples, const std::string& path) {
  uint32_t chunk, bufferSize, count;
  HBE_STREAM stream = nullptr;
  ASSERT_EQ(beInitStream(&config, &chunk, &bufferSize, &stream), BE_ERR_SUCCESSFUL);
  std::vector<int16_t> pcm(samples, 0);
  std::vector<uint8_t> out(samples + 16384);
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_EQ(beEncodeChunk(stream, samples, pcm.data(), out.data(), &count), BE_ERR_SUCCESSFUL);
  std::fwrite(out.data(), 1, count, file);
  ASSERT_EQ(beDeinitStream(stream, out.data(), &count), BE_ERR_SUCCESSFUL);
  std::fwrite(out.data(), 1, count, file);
  std::fclose(file);
  ASSERT_EQ(beCloseStream(stream), BE_ERR_SUCCESSFUL);
  ASSERT_EQ(beWriteVBRHeader(path.c_str()), BE_ERR_SUCCESSFUL);
}

uint64_t DecodedSamples(const std::string& path) {
  return RunDecoder("mpg123 -q -s " + ShellQuote(path)).samples;
}

TEST(BeVersion, ReportsAdapterEngineAndHomepage) {
  BE_VERSION version;
  std::memset(&version, 0xAA, sizeof(version));
  beVersion(&version);
  EXPECT_EQ(version.byDLLMajorVersion, 1);
  EXPECT_EQ(version.byDLLMinorVersion, 0);
  // Printed as the start-up text prints it, the engine version is the library's own.
  char engine[16];
  snprintf(engine, sizeof(engine), "%u.%02u", unsigned{version.byMajorVersion},
           unsigned{version.byMinorVersion});
  EXPECT_STREQ(engine, get_lame_short_version());
  EXPECT_STREQ(version.zHomepage, get_lame_url());
  EXPECT_EQ(std::vector<uint8_t>(version.btReserved, version.btReserved + 125),
            std::vector<uint8_t>(125, 0));
}

TEST(StreamCalls, RefuseWhatTheyCannotUse) {
  // The writer closes the handle a failed init left, which is 0.
  EXPECT_EQ(beCloseStream(nullptr), BE_ERR_INVALID_HANDLE);
  uint32_t count = 99;
  uint8_t out[16];
  EXPECT_EQ(beDeinitStream(nullptr, out, &count), BE_ERR_INVALID_HANDLE);
  EXPECT_EQ(count, 0u);

  BE_CONFIG config = SilenceConfig();
  config.dwConfig = BE_CONFIG_MP3;  // a layout this encoder does not read
  uint32_t chunk = 7, bufferSize = 7;
  HBE_STREAM stream = reinterpret_cast<HBE_STREAM>(0x1234);
  EXPECT_EQ(beInitStream(&config, &chunk, &bufferSize, &stream), BE_ERR_INVALID_FORMAT);
  EXPECT_EQ(stream, nullptr);
  EXPECT_EQ(chunk + bufferSize, 0u);

  // Without a closed stream's frame, a file is left as it is.
  ScratchDirectory scratch;
  const std::string path = scratch.path() + "/a.mp3";
  EncodeToFile(SilenceConfig(), kRate, path);
  const std::vector<uint8_t> before = ReadWholeFile(path);
  EXPECT_EQ(beWriteVBRHeader(path.c_str()), BE_ERR_INVALID_HANDLE);
  EXPECT_EQ(ReadWholeFile(path), before);
}

// Every frame follows the record, and the Xing/Info frame counts the frames after it.
TEST(EncodedStream, FramesFollowTheConfiguration) {
  struct Row {
    const char* what;
    void (*change)(BE_CONFIG*);
    int mpegVersion, sampleRate;
    bool crc, privateBit, copyright, original;
  };
  const Row rows[] = {
      {"the writer's record", [](BE_CONFIG*) {}, 1, 44100, false, false, true, true},
      {"CRC and private bit", [](BE_CONFIG* c) { c->bCRC = c->bPrivate = 1; }, 1, 44100,
       true, true, true, true},
      {"no copyright, no original", [](BE_CONFIG* c) { c->bCopyright = c->bOriginal = 0; },
       1, 44100, false, false, false, false},
      // Left to choose, the library takes quality-9 VBR down to an MPEG-2 rate.
      {"MPEG-2 asked", [](BE_CONFIG* c) { c->dwMpegVersion = MPEG2; }, 2, 22050, false,
       false, true, true},
  };
  ScratchDirectory scratch;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    BE_CONFIG config = SilenceConfig();
    row.change(&config);
    const std::string path = scratch.path() + "/stream.mp3";
    EncodeToFile(config, 2 * kRate, path);
    const Mp3Walk walk = WalkMp3(ReadWholeFile(path));
    ASSERT_GT(walk.frames.size(), 2u);
    EXPECT_TRUE(walk.endsCleanly);
    EXPECT_FALSE(walk.hasId3v1) << "the encoder writes no tag of its own";
    for (const FrameHeader& f : walk.frames) {
      ASSERT_EQ(f.mpegVersion, row.mpegVersion);
      ASSERT_EQ(f.sampleRate, row.sampleRate);
      ASSERT_EQ(f.channelMode, 3);
      ASSERT_EQ(f.crc, row.crc);
      ASSERT_EQ(f.privateBit, row.privateBit);
      ASSERT_EQ(f.copyright, row.copyright);
      ASSERT_EQ(f.original, row.original);
      ASSERT_TRUE(f.bitRateKbps >= 32 && f.bitRateKbps <= 128) << f.bitRateKbps;
    }
    EXPECT_EQ(walk.vbrFrameCount, walk.frames.size() - 1);
    if (row.sampleRate == 44100) {
      EXPECT_EQ(DecodedSamples(path), 2u * kRate);
    }
  }
}

// Each stream keeps its own state: two streams fed in turn come out apart, and each
// closed stream's Xing/Info frame goes to its own file.
TEST(EncodedStream, InterleavedStreamsStayApart) {
  ScratchDirectory scratch;
  const BE_CONFIG config = SilenceConfig();
  const uint32_t lengths[2] = {kRate, 3 * kRate};
  HBE_STREAM streams[2] = {};
  FILE* files[2] = {};
  std::string paths[2];
  uint32_t chunk, bufferSize, count;
  const std::vector<int16_t> pcm(kRate / 2, 0);
  std::vector<uint8_t> out(64 * 1024);
  for (int s = 0; s < 2; ++s) {
    ASSERT_EQ(beInitStream(&config, &chunk, &bufferSize, &streams[s]), BE_ERR_SUCCESSFUL);
    paths[s] = scratch.path() + "/s" + std::to_string(s) + ".mp3";
    files[s] = std::fopen(paths[s].c_str(), "wb");
  }
  for (uint32_t fed = 0; fed < lengths[1]; fed += kRate / 2) {
    for (int s = 0; s < 2; ++s) {
      if (fed >= lengths[s]) continue;
      ASSERT_EQ(beEncodeChunk(streams[s], kRate / 2, pcm.data(), out.data(), &count), 0u);
      std::fwrite(out.data(), 1, count, files[s]);
    }
  }
  for (int s : {1, 0}) {
    ASSERT_EQ(beDeinitStream(streams[s], out.data(), &count), BE_ERR_SUCCESSFUL);
    std::fwrite(out.data(), 1, count, files[s]);
    std::fclose(files[s]);
    ASSERT_EQ(beCloseStream(streams[s]), BE_ERR_SUCCESSFUL);
    ASSERT_EQ(beWriteVBRHeader(paths[s].c_str()), BE_ERR_SUCCESSFUL);
  }
  for (int s = 0; s < 2; ++s) EXPECT_EQ(DecodedSamples(paths[s]), lengths[s]) << s;
}

// Once the stream knows its output buffer's size, it refuses rather than write past it.
TEST(EncodedStream, OutputLimitIsNeverOverrun) {
  constexpr uint8_t kGuard = 0x5A;
  for (uint32_t limit : {0u, 300u, 8820u}) {
    const BE_CONFIG config = SilenceConfig();
    uint32_t chunk, bufferSize, count = 0;
    HBE_STREAM stream = nullptr;
    ASSERT_EQ(beInitStream(&config, &chunk, &bufferSize, &stream), BE_ERR_SUCCESSFUL);
    ASSERT_EQ(SetStreamOutputLimit(stream, limit), BE_ERR_SUCCESSFUL);
    const std::vector<int16_t> pcm(kRate, 0);
    std::vector<uint8_t> out(limit + 65536, kGuard);
    // One second of silence needs some 3.7 kB.
    EXPECT_EQ(beEncodeChunk(stream, kRate, pcm.data(), out.data(), &count),
              limit < 4000 ? BE_ERR_BUFFER_TOO_SMALL : BE_ERR_SUCCESSFUL)
        << limit;
    EXPECT_EQ(std::vector<uint8_t>(out.begin() + limit, out.end()),
              std::vector<uint8_t>(65536, kGuard))
        << limit;
    beCloseStream(stream);
  }
}

}  // namespace
