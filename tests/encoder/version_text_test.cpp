// The encoder version text shown before a web page is opened.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "encoder/encoder_version.h"

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
  char text[256];
  ComposeVersionText(version, text, sizeof(text));
  return text;
}

// The exact text also holds the alignment: every value starts in column 33.
TEST(VersionText, ThreeAlignedLinesAfterALineBreak) {
  EXPECT_EQ(Compose(MakeVersion(1, 32, 3, 92, "H")),
            "\n>>> DLL version:               1.32"
            "\n>>> Engine version:            3.92"
            "\n>>> Official Project homepage: H");
}

TEST(VersionText, MinorVersionBelowTenHasLeadingZero) {
  EXPECT_NE(Compose(MakeVersion(1, 0, 3, 5, "H")).find("Engine version:            3.05\n"),
            std::string::npos);
}

}  // namespace
