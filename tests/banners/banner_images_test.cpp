// Checks that the banner pictures and the program icon are XPM data the toolkit reads as
// drawn: header, colour map, every pixel's key, and the colours the toolkit decodes.
#include "resources/icon_xpm.h"
#include "ui/banner_images.h"

#include <FL/Fl_Image.H>
#include <FL/Fl_Pixmap.H>
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

namespace {

constexpr int NO_COLOUR = -1;
constexpr int KEY_COUNT = 256;

// What a picture's colour-map lines say, read independently of the toolkit.
struct ColourTable {
  int width = 0;
  int height = 0;
  int colours = 0;  // as written in the header, negative for the compact form
  int chars_per_pixel = 0;
  std::array<int, KEY_COUNT> rgb_of_key{};  // 0xRRGGBB, or NO_COLOUR
  int entries = 0;
  int first_key = NO_COLOUR;
  std::set<int> distinct_rgb;
  std::string fault;  // first thing found wrong, empty when none
};

bool ReadHeader(const char* line, ColourTable& table) {
  int consumed = 0;
  if (std::sscanf(line, "%d %d %d %d%n", &table.width, &table.height, &table.colours,
                  &table.chars_per_pixel, &consumed) != 4 ||
      line[consumed] != '\0') {
    table.fault = std::string("unreadable header \"") + line + "\"";
    return false;
  }
  return true;
}

void AddEntry(ColourTable& table, int key, int rgb) {
  if (table.entries == 0) table.first_key = key;
  if (table.rgb_of_key[key] != NO_COLOUR && table.fault.empty())
    table.fault = "key " + std::to_string(key) + " appears twice in the colour map";
  table.rgb_of_key[key] = rgb;
  table.distinct_rgb.insert(rgb);
  ++table.entries;
}

// Compact form: one line of N entries of key, red, green, blue as raw bytes. The line may
// hold zero bytes, so it is indexed, as the toolkit does, and only its end is checked.
ColourTable ReadCompactTable(const char* const* xpm) {
  ColourTable table;
  table.rgb_of_key.fill(NO_COLOUR);
  if (!ReadHeader(xpm[0], table)) return table;
  if (table.colours >= 0 || table.colours < -KEY_COUNT) {
    table.fault = "header does not announce a compact colour map";
    return table;
  }
  const auto* map = reinterpret_cast<const unsigned char*>(xpm[1]);
  const int n = -table.colours;
  for (int i = 0; i < n; ++i) {
    const unsigned char* entry = map + 4 * i;
    AddEntry(table, entry[0], (entry[1] << 16) | (entry[2] << 8) | entry[3]);
  }
  if (map[4 * n] != '\0' && table.fault.empty()) table.fault = "colour map line is longer than N entries";
  return table;
}

// Ordinary form: one line per colour, "k c #rrggbb".
ColourTable ReadPlainTable(const char* const* xpm) {
  ColourTable table;
  table.rgb_of_key.fill(NO_COLOUR);
  if (!ReadHeader(xpm[0], table)) return table;
  for (int i = 0; i < table.colours; ++i) {
    const char* line = xpm[1 + i];
    unsigned rgb = 0;
    int consumed = 0;
    if (std::strlen(line) != 11 || std::sscanf(line + 1, " c #%6x%n", &rgb, &consumed) != 1 || consumed != 10) {
      table.fault = std::string("colour line \"") + line + "\" is not \"k c #rrggbb\"";
      return table;
    }
    AddEntry(table, static_cast<unsigned char>(line[0]), static_cast<int>(rgb));
  }
  return table;
}

// Checks every pixel line's length and keys; returns the first fault, empty when none.
std::string CheckPixelLines(const char* const* rows, const ColourTable& table) {
  for (int y = 0; y < table.height; ++y) {
    if (static_cast<int>(std::strlen(rows[y])) != table.width)
      return "pixel line " + std::to_string(y) + " has " + std::to_string(std::strlen(rows[y])) + " keys";
    for (int x = 0; x < table.width; ++x) {
      const int key = static_cast<unsigned char>(rows[y][x]);
      if (table.rgb_of_key[key] == NO_COLOUR)
        return "pixel " + std::to_string(x) + "," + std::to_string(y) + " has key " + std::to_string(key) +
               " that the colour map lacks";
    }
  }
  return {};
}

// Loads the picture with the toolkit and compares each decoded pixel with its key's
// colour; a transparent pixel or a shifted colour map shows up here.
std::string CheckToolkitDecoding(const char* const* xpm, const char* const* rows, const ColourTable& table) {
  Fl_Pixmap pixmap(xpm);
  if (pixmap.w() != table.width || pixmap.h() != table.height)
    return "toolkit reads " + std::to_string(pixmap.w()) + " x " + std::to_string(pixmap.h());
  Fl_RGB_Image rgb(&pixmap);
  if (rgb.d() != 4) return "toolkit decodes " + std::to_string(rgb.d()) + " bytes per pixel";
  const auto* pixels = reinterpret_cast<const unsigned char*>(rgb.data()[0]);
  for (int y = 0; y < table.height; ++y) {
    for (int x = 0; x < table.width; ++x) {
      const unsigned char* p = pixels + 4 * (y * table.width + x);
      const int expected = table.rgb_of_key[static_cast<unsigned char>(rows[y][x])];
      if (((p[0] << 16) | (p[1] << 8) | p[2]) != expected || p[3] != 255) {
        char text[128];
        std::snprintf(text, sizeof text, "pixel %d,%d decodes as %02x%02x%02x alpha %d, drawn as %06x", x, y, p[0],
                      p[1], p[2], p[3], expected);
        return text;
      }
    }
  }
  return {};
}

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

TEST(BannerImages, AreCompactXpmOfTheAnnouncedSizeAndColourCount) {
  for (const BannerCase& banner : BANNER_CASES) {
    SCOPED_TRACE(banner.name);
    const ColourTable table = ReadCompactTable(banner.xpm);
    ASSERT_EQ(table.fault, "");
    EXPECT_EQ(table.width, 245);
    EXPECT_EQ(table.height, 35);
    EXPECT_EQ(table.colours, -banner.colours);
    EXPECT_EQ(table.chars_per_pixel, 1);
    EXPECT_EQ(static_cast<int>(table.distinct_rgb.size()), banner.colours) << "colours repeat in the map";
    // The toolkit takes a leading ' ' entry as the transparent colour.
    EXPECT_NE(table.first_key, ' ');
    EXPECT_EQ(BANNER_XPM_LINES, 2 + table.height);
  }
}

TEST(BannerImages, EveryPixelHasAKeyOfTheMapAndDecodesOpaque) {
  for (const BannerCase& banner : BANNER_CASES) {
    SCOPED_TRACE(banner.name);
    const ColourTable table = ReadCompactTable(banner.xpm);
    ASSERT_EQ(table.fault, "");
    ASSERT_EQ(table.height, 35);
    EXPECT_EQ(CheckPixelLines(banner.xpm + 2, table), "");
    EXPECT_EQ(CheckToolkitDecoding(banner.xpm, banner.xpm + 2, table), "");
  }
}

TEST(BannerImages, AreThreeDifferentPictures) {
  for (int a = 0; a < 3; ++a) {
    for (int b = a + 1; b < 3; ++b) {
      const ColourTable first = ReadCompactTable(BANNER_CASES[a].xpm);
      const ColourTable second = ReadCompactTable(BANNER_CASES[b].xpm);
      int same = 0;
      for (int y = 0; y < 35; ++y)
        for (int x = 0; x < 245; ++x)
          same += first.rgb_of_key[static_cast<unsigned char>(BANNER_CASES[a].xpm[2 + y][x])] ==
                  second.rgb_of_key[static_cast<unsigned char>(BANNER_CASES[b].xpm[2 + y][x])];
      EXPECT_LT(same, 245 * 35 / 10) << BANNER_CASES[a].name << " and " << BANNER_CASES[b].name;
    }
  }
}

TEST(ProgramIcon, IsPlainXpmOf32By32WithOpaqueColours) {
  const ColourTable table = ReadPlainTable(hushmaker_icon_xpm);
  ASSERT_EQ(table.fault, "");
  EXPECT_EQ(table.width, ICON_XPM_SIZE);
  EXPECT_EQ(table.height, ICON_XPM_SIZE);
  EXPECT_EQ(ICON_XPM_SIZE, 32);
  EXPECT_EQ(table.colours, ICON_XPM_COLOURS);
  EXPECT_EQ(table.chars_per_pixel, 1);
  EXPECT_EQ(static_cast<int>(table.distinct_rgb.size()), table.colours);
  EXPECT_EQ(CheckPixelLines(hushmaker_icon_xpm + 1 + table.colours, table), "");
  Fl_Pixmap pixmap(hushmaker_icon_xpm);
  EXPECT_EQ(pixmap.w(), 32);
  EXPECT_EQ(pixmap.h(), 32);
}

// The toolkit looks "#rrggbb" names up through the X server, so decoding the icon (unlike
// the banners' compact maps) needs a display.
TEST(ProgramIcon, DecodesOpaqueAsDrawn) {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') GTEST_SKIP() << "needs an X display";
  const ColourTable table = ReadPlainTable(hushmaker_icon_xpm);
  ASSERT_EQ(table.fault, "");
  EXPECT_EQ(CheckToolkitDecoding(hushmaker_icon_xpm, hushmaker_icon_xpm + 1 + table.colours, table), "");
}

}  // namespace
