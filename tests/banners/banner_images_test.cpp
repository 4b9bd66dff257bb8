// The banner pictures are compact XPM data that the toolkit decodes, opaque, to the colours
// of their map.
#include "ui/banner_images.h"

#include <FL/Fl_Pixmap.H>
#include <FL/Fl_RGB_Image.H>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>

namespace {

TEST(BannerImages, CompactXpmDecodedOpaqueToTheColoursOfItsMap) {
  for (const char* const* xpm : {banner_xpm_1, banner_xpm_2, banner_xpm_3}) {
    int w = 0, h = 0, colours = 0;
    ASSERT_EQ(sscanf(xpm[0], "%d %d -%d 1", &w, &h, &colours), 3) << xpm[0];
    // A first entry keyed ' ' the toolkit takes as transparent: the alpha check shows it.
    // Entries of four raw bytes (zero allowed): key, red, green, blue.
    std::map<unsigned char, unsigned> rgbOfKey;
    const auto* entry = reinterpret_cast<const unsigned char*>(xpm[1]);
    for (int i = 0; i < colours; ++i, entry += 4)
      rgbOfKey[entry[0]] = (entry[1] << 16) | (entry[2] << 8) | entry[3];
    ASSERT_EQ(static_cast<int>(rgbOfKey.size()), colours) << "a key repeats";

    Fl_Pixmap pixmap(xpm);
    ASSERT_TRUE(pixmap.w() == 245 && pixmap.h() == 35);
    Fl_RGB_Image decoded(&pixmap);
    const auto* pixels = reinterpret_cast<const unsigned char*>(decoded.data()[0]);
    for (int y = 0; y < 35; ++y) {
      for (int x = 0; x < 245; ++x, pixels += 4) {
        const auto key = rgbOfKey.find(static_cast<unsigned char>(xpm[2 + y][x]));
        ASSERT_NE(key, rgbOfKey.end()) << "pixel " << x << "," << y << " has no colour";
        ASSERT_EQ(static_cast<unsigned>((pixels[0] << 16) | (pixels[1] << 8) | pixels[2]),
                  key->second) << x << "," << y;
        ASSERT_EQ(pixels[3], 255) << "pixel " << x << "," << y << " is transparent";
      }
    }
  }
}

}  // namespace
