// Tests of the encoder's stream interface over libmp3lame, read back with a frame walker
// and an independent decoder.
#include "encoder/encoder_stream.h"

#include <gtest/gtest.h>
#include <lame/lame.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "mp3_test_tools.h"

namespace {

constexpr uint32_t kRate = 44100;

// The writer's configuration; rows below change one thing at a time.
BE_CONFIG SilenceConfig() {
  BE_CONFIG config;
  std::memset(&config, 0, sizeof(config));
  config.dwConfig = BE_CONFIG_LAME;
  config.dwStructVersion = 1;
  config.dwStructSize = BE_CONFIG_SIZE;
  config.dwSampleRate = kRate;
  config.nMode = BE_MP3_MODE_MONO;
  config.dwBitrate = 32;
  config.dwMaxBitrate = 128;
  config.dwMpegVersion = MPEG1;
  config.bCopyright = 1;
  config.bOriginal = 1;
  config.bWriteVBRHeader = 1;
  config.bEnableVBR = 1;
  config.nVBRQuality = 9;
  return config;
}

// Runs a whole stream over `samples` zero samples into a file and returns the result
// of the first call that failed (or success); the Xing/Info frame is written when asked.
BE_ERR EncodeToFile(const BE_CONFIG& config, uint32_t samples, const std::string& path,
                    bool writeVbrHeader = true) {
  uint32_t chunk = 0, bufferSize = 0;
  HBE_STREAM stream = nullptr;
  BE_ERR result = beInitStream(&config, &chunk, &bufferSize, &stream);
  if (result != BE_ERR_SUCCESSFUL) return result;
  std::vector<int16_t> pcm(samples, 0);
  std::vector<uint8_t> out(samples + 16384);
  uint32_t count = 0;
  FILE* file = std::fopen(path.c_str(), "wb");
  result = beEncodeChunk(stream, samples, pcm.data(), out.data(), &count);
  if (result == BE_ERR_SUCCESSFUL) {
    std::fwrite(out.data(), 1, count, file);
    result = beDeinitStream(stream, out.data(), &count);
    std::fwrite(out.data(), 1, count, file);
  }
  std::fclose(file);
  beCloseStream(stream);
  if (result == BE_ERR_SUCCESSFUL && writeVbrHeader) result = beWriteVBRHeader(path.c_str());
  return result;
}

// Samples that mpg123 decodes from a file, or -1 when it cannot.
long DecodedSamples(const std::string& path) {
  int status = 0;
  const std::string pcm = RunCommand("mpg123 -q -s " + ShellQuote(path), &status);
  return status == 0 ? static_cast<long>(pcm.size() / 2) : -1;
}

TEST(BeVersion, ReportsAdapterEngineAndHomepage) {
  BE_VERSION version;
  std::memset(&version, 0xAA, sizeof(version));
  beVersion(&version);

  EXPECT_EQ(version.byDLLMajorVersion, 1);
  EXPECT_EQ(version.byDLLMinorVersion, 0);
  // The engine version prints, in the start-up text's "%u.%02u", as the library's
  // own short version text.
  char engine[16];
  snprintf(engine, sizeof(engine), "%u.%02u", unsigned{version.byMajorVersion},
           unsigned{version.byMinorVersion});
  EXPECT_STREQ(engine, get_lame_short_version());
  EXPECT_STREQ(version.zHomepage, get_lame_url());
  EXPECT_GT(std::strlen(version.zHomepage), 0u);
  // Everything not set is cleared, not left as it was.
  for (size_t i = 0; i < sizeof(version.btReserved); ++i) {
    ASSERT_EQ(version.btReserved[i], 0) << "reserved byte " << i;
  }
  EXPECT_EQ(version.zHomepage[BE_MAX_HOMEPAGE], '\0');
}

TEST(BeInitStream, RefusesWhatItCannotEncodeAndClearsItsOutValues) {
  struct Row {
    const char* what;
    void (*spoil)(BE_CONFIG*);
    BE_ERR expected;
  };
  const Row rows[] = {
      {"simple MP3 layout", [](BE_CONFIG* c) { c->dwConfig = BE_CONFIG_MP3; }, BE_ERR_INVALID_FORMAT},
      {"unknown layout", [](BE_CONFIG* c) { c->dwConfig = 7; }, BE_ERR_INVALID_FORMAT},
      {"record too small", [](BE_CONFIG* c) { c->dwStructSize = 300; }, BE_ERR_INVALID_FORMAT},
      {"layout version 0", [](BE_CONFIG* c) { c->dwStructVersion = 0; }, BE_ERR_INVALID_FORMAT},
  };
  for (const Row& row : rows) {
    BE_CONFIG config = SilenceConfig();
    row.spoil(&config);
    uint32_t chunk = 77, bufferSize = 77;
    HBE_STREAM stream = reinterpret_cast<HBE_STREAM>(0x1234);
    EXPECT_EQ(beInitStream(&config, &chunk, &bufferSize, &stream), row.expected) << row.what;
    EXPECT_EQ(chunk, 0u) << row.what;
    EXPECT_EQ(bufferSize, 0u) << row.what;
    EXPECT_EQ(stream, nullptr) << row.what;
    // The writer closes whatever handle it holds after a failed init.
    EXPECT_EQ(beCloseStream(stream), BE_ERR_INVALID_HANDLE) << row.what;
  }
  uint32_t chunk, bufferSize;
  HBE_STREAM stream;
  EXPECT_NE(beInitStream(nullptr, &chunk, &bufferSize, &stream), BE_ERR_SUCCESSFUL);
}

TEST(BeInitStream, ReportsAFrameOfSamplesAndItsWorstCaseOutput) {
  const BE_CONFIG config = SilenceConfig();
  uint32_t chunk = 0, bufferSize = 0;
  HBE_STREAM stream = nullptr;
  ASSERT_EQ(beInitStream(&config, &chunk, &bufferSize, &stream), BE_ERR_SUCCESSFUL);
  EXPECT_EQ(chunk, 1152u);  // one MPEG-1 Layer III frame of mono samples
  EXPECT_GE(bufferSize, chunk * 5 / 4 + 7200);
  EXPECT_EQ(beCloseStream(stream), BE_ERR_SUCCESSFUL);
}

TEST(StreamCalls, RefuseAHandleThatWasNeverSet) {
  uint8_t out[16];
  uint32_t count = 99;
  int16_t pcm[4] = {};
  EXPECT_EQ(beEncodeChunk(nullptr, 4, pcm, out, &count), BE_ERR_INVALID_HANDLE);
  EXPECT_EQ(count, 0u);
  count = 99;
  EXPECT_EQ(beDeinitStream(nullptr, out, &count), BE_ERR_INVALID_HANDLE);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(beCloseStream(nullptr), BE_ERR_INVALID_HANDLE);
  EXPECT_EQ(SetStreamOutputLimit(nullptr, 10), BE_ERR_INVALID_HANDLE);
}

// Every frame the encoder writes follows the record: version, rate, mode, the four
// header bits, bit rates inside the VBR range; and the Xing/Info frame counts the rest.
TEST(EncodedStream, FramesFollowTheConfiguration) {
  struct Row {
    const char* what;
    void (*change)(BE_CONFIG*);
    int mpegVersion;
    int sampleRate;
    bool crc, privateBit, copyright, original;
  };
  const Row rows[] = {
      {"the writer's record", [](BE_CONFIG*) {}, 1, 44100, false, false, true, true},
      {"CRC", [](BE_CONFIG* c) { c->bCRC = 1; }, 1, 44100, true, false, true, true},
      {"private bit", [](BE_CONFIG* c) { c->bPrivate = 1; }, 1, 44100, false, true, true, true},
      {"neither copyright nor original",
       [](BE_CONFIG* c) { c->bCopyright = 0; c->bOriginal = 0; }, 1, 44100, false, false,
       false, false},
      // Left to choose, the library takes quality-9 VBR down to an MPEG-2 rate.
      {"MPEG-2 asked", [](BE_CONFIG* c) { c->dwMpegVersion = MPEG2; }, 2, 22050, false, false,
       true, true},
      {"resampled to 32 kHz", [](BE_CONFIG* c) { c->dwReSampleRate = 32000; }, 1, 32000,
       false, false, true, true},
  };
  ScratchDirectory scratch;
  for (const Row& row : rows) {
    BE_CONFIG config = SilenceConfig();
    row.change(&config);
    const std::string path = scratch.path() + "/stream.mp3";
    ASSERT_EQ(EncodeToFile(config, 2 * kRate, path), BE_ERR_SUCCESSFUL) << row.what;

    const Mp3Walk walk = WalkMp3(ReadWholeFile(path));
    ASSERT_GT(walk.frames.size(), 2u) << row.what;
    EXPECT_TRUE(walk.endsCleanly) << row.what;
    EXPECT_FALSE(walk.hasId3v1) << row.what << ": the encoder writes no tag of its own";
    for (size_t i = 0; i < walk.frames.size(); ++i) {
      const FrameHeader& f = walk.frames[i];
      SCOPED_TRACE(std::string(row.what) + ", frame " + std::to_string(i));
      EXPECT_EQ(f.mpegVersion, row.mpegVersion);
      EXPECT_EQ(f.layer, 3);
      EXPECT_EQ(f.sampleRate, row.sampleRate);
      EXPECT_EQ(f.channelMode, 3);
      EXPECT_EQ(f.crc, row.crc);
      EXPECT_EQ(f.privateBit, row.privateBit);
      EXPECT_EQ(f.copyright, row.copyright);
      EXPECT_EQ(f.original, row.original);
      if (row.mpegVersion == 1) {
        EXPECT_GE(f.bitRateKbps, 32);
        EXPECT_LE(f.bitRateKbps, 128);
      }
    }
    EXPECT_FALSE(walk.vbrTagId.empty()) << row.what;
    ASSERT_TRUE(walk.vbrHasFrameCount) << row.what;
    EXPECT_EQ(walk.vbrFrameCount, walk.frames.size() - 1) << row.what;
    if (row.sampleRate == 44100) {
      EXPECT_EQ(DecodedSamples(path), long{2 * kRate}) << row.what;
    }
  }
}

// Each stream keeps its own encoder, so two streams in turn do not mix.
TEST(EncodedStream, InterleavedStreamsStayApart) {
  ScratchDirectory scratch;
  const BE_CONFIG config = SilenceConfig();
  const uint32_t lengths[2] = {kRate, 3 * kRate};
  HBE_STREAM streams[2] = {};
  FILE* files[2] = {};
  std::string paths[2];
  uint32_t chunk, bufferSize, count;
  std::vector<int16_t> pcm(kRate / 2, 0);
  std::vector<uint8_t> out(64 * 1024);
  for (int s = 0; s < 2; ++s) {
    ASSERT_EQ(beInitStream(&config, &chunk, &bufferSize, &streams[s]), BE_ERR_SUCCESSFUL);
    paths[s] = scratch.path() + "/s" + std::to_string(s) + ".mp3";
    files[s] = std::fopen(paths[s].c_str(), "wb");
  }
  // Half a second at a time, alternating, until each stream has its length.
  uint32_t fed[2] = {};
  while (fed[0] < lengths[0] || fed[1] < lengths[1]) {
    for (int s = 0; s < 2; ++s) {
      if (fed[s] >= lengths[s]) continue;
      ASSERT_EQ(beEncodeChunk(streams[s], kRate / 2, pcm.data(), out.data(), &count),
                BE_ERR_SUCCESSFUL);
      std::fwrite(out.data(), 1, count, files[s]);
      fed[s] += kRate / 2;
    }
  }
  for (int s = 0; s < 2; ++s) {
    ASSERT_EQ(beDeinitStream(streams[s], out.data(), &count), BE_ERR_SUCCESSFUL);
    std::fwrite(out.data(), 1, count, files[s]);
    std::fclose(files[s]);
  }
  // Closed and headed one after the other: each file gets its own stream's frame.
  for (int s = 1; s >= 0; --s) {
    ASSERT_EQ(beCloseStream(streams[s]), BE_ERR_SUCCESSFUL);
    ASSERT_EQ(beWriteVBRHeader(paths[s].c_str()), BE_ERR_SUCCESSFUL);
  }
  for (int s = 0; s < 2; ++s) {
    const Mp3Walk walk = WalkMp3(ReadWholeFile(paths[s]));
    EXPECT_EQ(walk.vbrFrameCount, walk.frames.size() - 1) << "stream " << s;
    EXPECT_EQ(DecodedSamples(paths[s]), long{lengths[s]}) << "stream " << s;
  }
}

// The output buffers carry no size in the six calls; once the stream knows it, the
// encoder refuses rather than writing past them.
TEST(EncodedStream, OutputLimitIsNeverOverrun) {
  struct Row {
    const char* what;
    uint32_t limit;
    uint32_t samples;
    BE_ERR encodeResult;
  };
  const Row rows[] = {
      {"ample room", 8820, kRate, BE_ERR_SUCCESSFUL},
      {"room for a few frames only", 300, kRate, BE_ERR_BUFFER_TOO_SMALL},
      {"no room at all", 0, kRate, BE_ERR_BUFFER_TOO_SMALL},
  };
  constexpr uint8_t kGuard = 0x5A;
  for (const Row& row : rows) {
    const BE_CONFIG config = SilenceConfig();
    uint32_t chunk, bufferSize, count = 0;
    HBE_STREAM stream = nullptr;
    ASSERT_EQ(beInitStream(&config, &chunk, &bufferSize, &stream), BE_ERR_SUCCESSFUL);
    ASSERT_EQ(SetStreamOutputLimit(stream, row.limit), BE_ERR_SUCCESSFUL);
    std::vector<int16_t> pcm(row.samples, 0);
    std::vector<uint8_t> out(row.limit + 65536, kGuard);
    EXPECT_EQ(beEncodeChunk(stream, row.samples, pcm.data(), out.data(), &count),
              row.encodeResult)
        << row.what;
    EXPECT_LE(count, row.limit) << row.what;
    for (size_t i = row.limit; i < out.size(); ++i) {
      ASSERT_EQ(out[i], kGuard) << row.what << ": byte " << i << " past the limit";
    }
    beCloseStream(stream);
  }
}

TEST(BeWriteVBRHeader, WritesOnlyOverTheFrameKeptForIt) {
  ScratchDirectory scratch;
  const std::string path = scratch.path() + "/a.mp3";
  ASSERT_EQ(EncodeToFile(SilenceConfig(), kRate, path, false), BE_ERR_SUCCESSFUL);
  const std::vector<uint8_t> before = ReadWholeFile(path);
  // The kept frame is empty until the header is written.
  EXPECT_EQ(WalkMp3(before).vbrFrameCount, 0u);

  // A file that does not start with a frame of the same size is left alone.
  const std::string other = scratch.path() + "/other.mp3";
  {
    FILE* file = std::fopen(other.c_str(), "wb");
    const std::vector<uint8_t> junk(4096, 0x11);
    std::fwrite(junk.data(), 1, junk.size(), file);
    std::fclose(file);
  }
  EXPECT_EQ(beWriteVBRHeader(other.c_str()), BE_ERR_INVALID_FORMAT);
  EXPECT_EQ(ReadWholeFile(other), std::vector<uint8_t>(4096, 0x11));

  // The frame was spent on the refused file; nothing is left for a second try.
  EXPECT_EQ(beWriteVBRHeader(path.c_str()), BE_ERR_INVALID_HANDLE);
  EXPECT_EQ(ReadWholeFile(path), before);
}

TEST(BeWriteVBRHeader, FillsTheKeptFrameSoDecodersTrimExactly) {
  ScratchDirectory scratch;
  const std::string path = scratch.path() + "/a.mp3";
  ASSERT_EQ(EncodeToFile(SilenceConfig(), 5 * kRate, path, false), BE_ERR_SUCCESSFUL);
  const std::vector<uint8_t> before = ReadWholeFile(path);
  ASSERT_EQ(beWriteVBRHeader(path.c_str()), BE_ERR_SUCCESSFUL);
  const std::vector<uint8_t> after = ReadWholeFile(path);
  ASSERT_EQ(after.size(), before.size());
  const Mp3Walk walk = WalkMp3(after);
  // Only the first frame changed.
  EXPECT_TRUE(std::equal(after.begin() + walk.frames[0].length, after.end(),
                         before.begin() + walk.frames[0].length));
  EXPECT_EQ(walk.vbrFrameCount, walk.frames.size() - 1);
  EXPECT_EQ(DecodedSamples(path), long{5 * kRate});
  EXPECT_EQ(beWriteVBRHeader(path.c_str()), BE_ERR_INVALID_HANDLE) << "used once";
}

TEST(BeWriteVBRHeader, ReportsAFileThatCannotBeOpened) {
  ScratchDirectory scratch;
  const std::string path = scratch.path() + "/a.mp3";
  ASSERT_EQ(EncodeToFile(SilenceConfig(), kRate, path, false), BE_ERR_SUCCESSFUL);
  EXPECT_EQ(beWriteVBRHeader((scratch.path() + "/missing.mp3").c_str()),
            BE_ERR_INVALID_FORMAT_PARAMETERS);
}

}  // namespace
