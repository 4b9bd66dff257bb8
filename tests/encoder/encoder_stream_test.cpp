// Tests of the encoder's stream interface where the writer's own tests cannot reach it,
// on the writer's configuration record.
#include "encoder/encoder_stream.h"

#include <gtest/gtest.h>
#include <lame/lame.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "generator/hushmaker.h"

namespace {

constexpr uint32_t kRate = 44100;

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
}

TEST(StreamCalls, RefuseWhatTheyCannotUse) {
  // The writer closes the handle a failed init left, which is 0.
  EXPECT_EQ(beCloseStream(nullptr), BE_ERR_INVALID_HANDLE);
  InitEncoderConfig();
  BE_CONFIG config = GetEncoderConfig();
  config.dwConfig = BE_CONFIG_MP3;  // a layout this encoder does not read
  uint32_t chunk = 7, bufferSize = 7;
  HBE_STREAM stream = reinterpret_cast<HBE_STREAM>(0x1234);
  EXPECT_EQ(beInitStream(&config, &chunk, &bufferSize, &stream), BE_ERR_INVALID_FORMAT);
  EXPECT_EQ(stream, nullptr);
  EXPECT_EQ(chunk + bufferSize, 0u);
}

// Once the stream knows its output buffer's size, it refuses rather than write past it.
TEST(StreamCalls, OutputLimitIsNeverOverrun) {
  InitEncoderConfig();
  const BE_CONFIG& config = GetEncoderConfig();
  // One second of silence needs some 3.7 kB.
  for (uint32_t limit : {300u, 8820u}) {
    uint32_t chunk, bufferSize, count = 0;
    HBE_STREAM stream = nullptr;
    ASSERT_EQ(beInitStream(&config, &chunk, &bufferSize, &stream), BE_ERR_SUCCESSFUL);
    ASSERT_EQ(SetStreamOutputLimit(stream, limit), BE_ERR_SUCCESSFUL);
    const std::vector<int16_t> pcm(kRate, 0);
    std::vector<uint8_t> out(limit + 65536, 0x5A);
    EXPECT_EQ(beEncodeChunk(stream, kRate, pcm.data(), out.data(), &count),
              limit < 4000 ? BE_ERR_BUFFER_TOO_SMALL : BE_ERR_SUCCESSFUL);
    EXPECT_EQ(std::vector<uint8_t>(out.begin() + limit, out.end()),
              std::vector<uint8_t>(65536, 0x5A)) << limit;
    beCloseStream(stream);
  }
}

}  // namespace
