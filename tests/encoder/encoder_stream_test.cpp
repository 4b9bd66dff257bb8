// Tests of the encoder's stream interface over libmp3lame.
#include "encoder/encoder_stream.h"

#include <gtest/gtest.h>
#include <lame/lame.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

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

TEST(BeVersion, ToleratesNoRecord) { beVersion(nullptr); }

}  // namespace
