// The banner pictures are XPM data the toolkit reads as drawn.
#include "ui/banner_images.h"

#include <FL/Fl_Pixmap.H>
#include <FL/Fl_RGB_Image.H>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <set>

namespace {

struct BannerCase {
  const char* name;
  const char* const* xpm;
  int colours;
};

const BannerCase BANNER_CASES[] = {
    {"banner_xpm_1", banner_xpm_1, 254},
    {"banner_xpm_2", banner_xpm_2, 247},
    {"banner_xpm_3", banner_xpm_3, 256},
};

// Compact map: N entries of key, red, green, blue as raw bytes (zero bytes allowed).
std::map<unsigned char, unsigned> ReadCompactMap(const char* line, int entries) {
  std::map<unsigned char, unsigned> rgb_of_key;
  const auto* bytes = reinterpret_cast<const unsigned char*>(line);
  for (int i = 0; i < entries; ++i) {
    const unsigned char* entry = bytes + 4 * i;
    rgb_of_key[entry[0]] = (entry[1] << 16) | (entry[2] << 8) | entry[3];
  }
  return rgb_of_key;
}

TEST(BannerImages, CompactXpmWithTheAnnouncedColoursDecodedOpaqueAsDrawn) {
  for (const BannerCase& banner : BANNER_CASES) {
    SCOPED_TRACE(banner.name);
    char header[32];
    snprintf(header, sizeof header, "245 35 -%d 1", banner.colours);
    ASSERT_STREQ(banner.xpm[0], header);
    // The toolkit takes a leading ' ' entry as the transparent colour.
    EXPECT_NE(banner.xpm[1][0], ' ');
    const auto rgb_of_key = ReadCompactMap(banner.xpm[1], banner.colours);
    ASSERT_EQ(static_cast<int>(rgb_of_key.size()), banner.colours) << "a key repeats";
    std::set<unsigned> colours;
    for (const auto& entry : rgb_of_key) colours.insert(entry.second);
    EXPECT_EQ(static_cast<int>(colours.size()), banner.colours) << "a colour repeats";

    Fl_Pixmap pixmap(banner.xpm);
    ASSERT_EQ(pixmap.w(), 245);
    ASSERT_EQ(pixmap.h(), 35);
    Fl_RGB_Image decoded(&pixmap);
    const auto* pixels = reinterpret_cast<const unsigned char*>(decoded.data()[0]);
    for (int y = 0; y < 35; ++y) {
      const char* row = banner.xpm[2 + y];
      ASSERT_EQ(strlen(row), 245u) << "pixel line " << y;
      for (int x = 0; x < 245; ++x) {
        const auto key = rgb_of_key.find(static_cast<unsigned char>(row[x]));
        ASSERT_NE(key, rgb_of_key.end()) << "pixel " << x << "," << y << " has no colour";
        const unsigned char* p = pixels + 4 * (y * 245 + x);
        ASSERT_EQ(static_cast<unsigned>((p[0] << 16) | (p[1] << 8) | p[2]), key->second);
        ASSERT_EQ(p[3], 255) << "pixel " << x << "," << y << " is transparent";
      }
    }
  }
}

}  // namespace
