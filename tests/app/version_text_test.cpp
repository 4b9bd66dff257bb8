// The encoder version text shown before a web page is opened.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/startup.h"

namespace {

BE_VERSION MakeVersion(unsigned dll_major, unsigned dll_minor, unsigned major, unsigned minor,
                       const char* homepage) {
  BE_VERSION version = {};
  version.byDLLMajorVersion = static_cast<unsigned char>(dll_major);
  version.byDLLMinorVersion = static_cast<unsigned char>(dll_minor);
  version.byMajorVersion = static_cast<unsigned char>(major);
  version.byMinorVersion = static_cast<unsigned char>(minor);
  strncpy(version.zHomepage, homepage, sizeof(version.zHomepage) - 1);
  return version;
}

std::string Compose(const BE_VERSION& version) {
  char text[VERSION_TEXT_SIZE];
  ComposeVersionText(version, text, sizeof(text));
  return text;
}

TEST(VersionText, ThreeAlignedLinesAfterALineBreak) {
  EXPECT_EQ(Compose(MakeVersion(1, 32, 3, 92, "H")),
            "\n>>> DLL version:               1.32"
            "\n>>> Engine version:            3.92"
            "\n>>> Official Project homepage: H");
}

TEST(VersionText, ValuesStartInOneColumn) {
  std::string text = Compose(MakeVersion(1, 32, 3, 92, "H"));
  size_t first = text.find("1.32") - text.find(">>> DLL");
  size_t second = text.find("3.92") - text.find(">>> Engine");
  size_t third = text.rfind('H') - text.find(">>> Official");
  EXPECT_EQ(first, second);
  EXPECT_EQ(second, third);
}

TEST(VersionText, MinorVersionBelowTenHasLeadingZero) {
  EXPECT_NE(Compose(MakeVersion(1, 0, 3, 5, "H")).find("Engine version:            3.05\n"),
            std::string::npos);
}

TEST(VersionText, LongestRecordFitsTheBuffer) {
  std::string homepage(sizeof(BE_VERSION::zHomepage) - 1, 'h');
  std::string text = Compose(MakeVersion(255, 255, 255, 255, homepage.c_str()));
  EXPECT_EQ(text.substr(text.size() - homepage.size()), homepage);
}

}  // namespace
