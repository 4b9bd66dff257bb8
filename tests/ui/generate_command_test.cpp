// The Generate command's texts, held length and written-back name, without a window.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "generator/generate_command.h"

namespace {

TEST(HoldSilenceSeconds, HoldsTheLengthToTheRangeInsteadOfWrapping) {
  struct Case {
    double value;
    int held;
  } cases[] = {
      {0, 0},
      {1, 1},
      {28800, 28800},
      {28799.9, 28799},  // truncated, not rounded
      {28801, 28800},
      {70000, 28800},  // 16 bits would wrap this to 4,464
      {65536, 28800},  // and this to 0
      {-1, 0},
      {-70000, 0},
      {0.9, 0},
      {NAN, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HoldSilenceSeconds(c.value), c.held) << "value " << c.value;
  }
}

TEST(PrepareTypedName, CutsTheLastExtensionInTheProgramsOwnForm) {
  struct Case {
    const char* typed;
    const char* prepared;
  } cases[] = {
      {"voice.wav", "voice"},
      {"voice.01.wav", "voice.01"},
      {"my.dir/song", "my.dir\\song"},  // the slash is a separator here
      {"/home/ann/voice.mp3", "\\home\\ann\\voice"},
      {"C:\\Sounds\\voice.mp3", "C:\\Sounds\\voice"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PrepareTypedName(c.typed), c.prepared) << "typed " << c.typed;
  }
  EXPECT_EQ(PrepareTypedName(nullptr), "");
}

TEST(PrepareTypedName, NeverShortensALongName) {
  std::string typed(3000, 'n');
  EXPECT_EQ(PrepareTypedName((typed + ".wav").c_str()), typed);
}

TEST(ComposeAnnouncement, ShowsNameAndDirectoryInNativeForm) {
  struct Case {
    const char* name;
    const char* directory;
    const char* shown;
  } cases[] = {
      {"voice", "\\home\\ann\\maps\\",
       "\n>>> Output file: \"voice.mp3\"\n>>> Target directory: \"/home/ann/maps/\""},
      {"", "\\home\\ann\\maps\\",
       "\n>>> Output file: \"blankfile.mp3\"\n>>> Target directory: \"/home/ann/maps/\""},
      {nullptr, ".\\",
       "\n>>> Output file: \"blankfile.mp3\"\n>>> Target directory: \"./\""},
      {"sub\\voice", "\\w\\", "\n>>> Output file: \"sub/voice.mp3\"\n>>> Target directory: \"/w/\""},
      {".mp3", "\\w\\", "\n>>> Output file: \".mp3.mp3\"\n>>> Target directory: \"/w/\""},
      {"100%s", "\\w\\", "\n>>> Output file: \"100%s.mp3\"\n>>> Target directory: \"/w/\""},
  };
  for (const Case& c : cases) {
    char buffer[512];
    ComposeAnnouncement(buffer, sizeof buffer, c.name, c.directory);
    EXPECT_STREQ(buffer, c.shown) << "name " << (c.name ? c.name : "(absent)");
  }
}

TEST(ComposeAnnouncement, CutsALongTextToTheBufferAndNeverPastIt) {
  // The bytes behind the buffer must stay untouched.
  char storage[512 + 16];
  memset(storage, '#', sizeof storage);
  std::string name(600, 'v');
  ComposeAnnouncement(storage, 512, name.c_str(), "\\w\\");
  EXPECT_EQ(strlen(storage), 511u);
  EXPECT_EQ(std::string(storage, 31), "\n>>> Output file: \"" + std::string(12, 'v'));
  for (size_t i = 512; i < sizeof storage; ++i) ASSERT_EQ(storage[i], '#') << i;
}

TEST(ComposeAnnouncement, NeverCutsACharacterInHalf) {
  // "é" is two bytes and the text before the name 19, so a 25-byte buffer ends on the
  // first half of the third "é", which must go; the euro sign is three bytes.
  struct Case {
    const char* name;
    size_t size;
    const char* shown;
  } cases[] = {
      {"\xC3\xA9\xC3\xA9\xC3\xA9", 24, "\n>>> Output file: \"\xC3\xA9\xC3\xA9"},
      {"\xC3\xA9\xC3\xA9\xC3\xA9", 25, "\n>>> Output file: \"\xC3\xA9\xC3\xA9"},
      {"\xC3\xA9\xC3\xA9\xC3\xA9", 26, "\n>>> Output file: \"\xC3\xA9\xC3\xA9\xC3\xA9"},
      {"ab\xE2\x82\xAC", 24, "\n>>> Output file: \"ab"},  // three-byte euro sign
  };
  for (const Case& c : cases) {
    char buffer[64];
    ComposeAnnouncement(buffer, c.size, c.name, "\\w\\");
    EXPECT_STREQ(buffer, c.shown) << "size " << c.size;
  }
}

TEST(ComposeResultText, NamesTheElapsedTimeOrTheFailure) {
  struct Case {
    int result;
    const char* shown;
  } cases[] = {
      {0, "\n>>> Compilation has been successful :)\n>>> Elapsed time: 0 seconds"},
      {1, "\n>>> Compilation has been successful :)\n>>> Elapsed time: 1 second"},
      {2, "\n>>> Compilation has been successful :)\n>>> Elapsed time: 2 seconds"},
      {61, "\n>>> Compilation has been successful :)\n>>> Elapsed time: 61 seconds"},
      {-1, "\n>>> Compilation has failed :("},
  };
  for (const Case& c : cases) {
    char buffer[512];
    ComposeResultText(buffer, sizeof buffer, c.result);
    EXPECT_STREQ(buffer, c.shown) << "result " << c.result;
  }
}

TEST(GetWrittenBackName, LeavesTheBareNameOfTheWrittenFile) {
  struct Case {
    const char* typed;
    const char* written_back;
  } cases[] = {
      {"voice", "voice"},
      {"voice.mp3", "voice"},
      {"voice.MP3", "voice"},
      {"/home/ann/voice.mp3", "voice"},
      {"C:\\Sounds\\voice.mp3", "voice"},
      {"voice.01.wav", "voice"},  // the writer cuts ".01" as well
      {".mp3", ".mp3"},           // written as .mp3.mp3
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetWrittenBackName(PrepareTypedName(c.typed)), c.written_back)
        << "typed " << c.typed;
  }
}

TEST(GetWrittenBackName, GivesALongNameBackWhole) {
  // Longer than every path buffer: the next run must hand the writer the same name.
  std::string long_name(600, 'n');
  EXPECT_EQ(GetWrittenBackName(PrepareTypedName((long_name + ".wav").c_str())), long_name);
}

}  // namespace
