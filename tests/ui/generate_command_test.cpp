// The Generate command's texts and the names it hands on and writes back, without a window.
#include <gtest/gtest.h>

#include <string>

#include "generator/generate_command.h"

namespace {

TEST(PrepareTypedName, CutsTheLastExtensionOnlyAndWritesBackTheBareName) {
  const std::string long_name(3000, 'n');  // the next run must hand on the same name
  const struct { std::string typed, prepared, written_back; } cases[] = {
      {"voice", "voice", "voice"},
      {"voice.mp3", "voice", "voice"},
      {"voice.01.wav", "voice.01", "voice"},  // the writer cuts ".01" as well
      {"my.dir/song", "my.dir\\song", "song"},
      {"/home/ann/voice.mp3", "\\home\\ann\\voice", "voice"},
      {"C:\\Sounds\\voice.MP3", "C:\\Sounds\\voice", "voice"},
      {".mp3", ".mp3", ".mp3"},  // written as .mp3.mp3
      {long_name + ".wav", long_name, long_name},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PrepareTypedName(c.typed.c_str()), c.prepared) << c.typed;
    EXPECT_EQ(GetWrittenBackName(c.prepared), c.written_back) << c.typed;
  }
}

TEST(ComposeAnnouncement, CutsToTheBufferOnWholeCharactersAndNeverPastIt) {
  // The four forms of the announcement are shown by the window tests; names are shown
  // in native form and are never read as a format.
  const std::string in = "\n>>> Output file: \"", e3 = "\xC3\xA9\xC3\xA9\xC3\xA9", v600(600, 'v');
  const struct { const char* name; size_t size; std::string shown; } cases[] = {
      {"sub\\100%s", 512, in + "sub/100%s.mp3\"\n>>> Target directory: \"/w/\""},
      {v600.c_str(), 512, (in + v600).substr(0, 511)},
      {e3.c_str(), 25, in + e3.substr(0, 4)},  // not half of the third character
      {"ab\xE2\x82\xAC", 24, in + "ab"},       // nor of a euro sign
  };
  for (const auto& c : cases) {
    std::string storage(700, '#');
    ComposeAnnouncement(storage.data(), c.size, c.name, "\\w\\");
    EXPECT_EQ(std::string(storage.c_str()), c.shown) << c.size;
    EXPECT_EQ(storage.substr(c.size), std::string(700 - c.size, '#')) << "written past the end";
  }
}

TEST(ComposeResultText, NamesTheElapsedTimeOrTheFailure) {
  const std::string ok = "\n>>> Compilation has been successful :)\n>>> Elapsed time: ";
  const int results[] = {0, 1, 2, -1};
  const std::string shown[] = {ok + "0 seconds", ok + "1 second", ok + "2 seconds",
                               "\n>>> Compilation has failed :("};
  for (int i = 0; i < 4; ++i) {
    char buffer[512];
    ComposeResultText(buffer, sizeof buffer, results[i]);
    EXPECT_EQ(std::string(buffer), shown[i]);
  }
}

}  // namespace
