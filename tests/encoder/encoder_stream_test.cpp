// Tests of the encoder's stream interface where the writer's own tests cannot reach it,
// on the writer's configuration record.
#include "encoder/encoder_stream.h"

#include <gtest/gtest.h>
#include <lame/lame.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "generator/hushmaker.h"

namespace {

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

TEST(StreamCalls, RefuseWhatTheyCannotUseAndNeverWritePastTheOutputLimit) {
  // The writer closes the handle a failed init left, which is 0.
  EXPECT_EQ(beCloseStream(nullptr), BE_ERR_INVALID_HANDLE);
  InitEncoderConfig();
  BE_CONFIG config = GetEncoderConfig();
  config.dwConfig = BE_CONFIG_MP3;  // a layout this encoder does not read
  uint32_t chunk = 0, bufferSize = 0, count = 0;
  HBE_STREAM stream = reinterpret_cast<HBE_STREAM>(0x1234);
  EXPECT_EQ(beInitStream(&config, &chunk, &bufferSize, &stream), BE_ERR_INVALID_FORMAT);
  EXPECT_EQ(stream, nullptr);
  // One second of silence needs some 3.7 kB, more than the 300 bytes the stream may use.
  ASSERT_EQ(beInitStream(&GetEncoderConfig(), &chunk, &bufferSize, &stream), BE_ERR_SUCCESSFUL);
  ASSERT_EQ(SetStreamOutputLimit(stream, 300), BE_ERR_SUCCESSFUL);
  const std::vector<int16_t> pcm(44100, 0);
  std::vector<uint8_t> out(65536, 0x5A);
  EXPECT_EQ(beEncodeChunk(stream, 44100, pcm.data(), out.data(), &count),
            BE_ERR_BUFFER_TOO_SMALL);
  EXPECT_EQ(std::count(out.begin() + 300, out.end(), 0x5A), 65536 - 300);
  beCloseStream(stream);
}

}  // namespace
