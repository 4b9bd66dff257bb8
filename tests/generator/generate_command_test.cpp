// The Generate command without a window: the folder it writes into and the texts it shows.
// The window's tests hold the default name, the game's limit and the other refusals.
#include <string>

#include "generator/generate_command.h"
#include "generator/hushmaker.h"
#include "support/path_helpers.h"
#include "tests/test_support.h"

namespace {

const std::string OK = "\n>>> Compilation has been successful :)\n>>> Elapsed time: ";
const std::string WARNING = std::string("\n>>> ") + GENERATE_TEXT_GAME_LIMIT;

TEST(GenerateCommand, FoldersAreTakenWholeInTheProgramsOwnFormOrRefused) {
  const std::string longest(IO_DIRECTORY_BLOCK_SIZE - 2, 'd');
  const struct { std::string native; DirectoryProblem problem; std::string own; } rows[] = {
      {"/home/ann/maps/", DirectoryProblem::None, "\\home\\ann\\maps\\"},
      {"sounds/..", DirectoryProblem::None, "sounds\\..\\"},  // the parent, as typed
      {longest, DirectoryProblem::None, longest + "\\"},
      {longest + "d", DirectoryProblem::TooLong, ""},
  };
  for (const auto& row : rows) {
    std::string own;
    EXPECT_EQ(PrepareTargetDirectory(row.native.c_str(), &own), row.problem) << row.native;
    EXPECT_EQ(own, row.own);  // a refusal leaves it empty
  }
}

TEST(GenerateCommand, AChoiceReplacesTheFolderBeforeACancelKeepsItARefusalIsShown) {
  RecordBoxes();
  char target[IO_DIRECTORY_BLOCK_SIZE] = "\\before\\";
  EXPECT_TRUE(TakeChosenDirectory(nullptr, target) && TakeChosenDirectory("", target));
  EXPECT_STREQ(target, "\\before\\");
  // The chooser's "." entry names the folder it was picked in.
  EXPECT_TRUE(TakeChosenDirectory("/home/ann/maps/.", target));
  EXPECT_STREQ(target, "\\home\\ann\\maps\\");
  EXPECT_EQ(g_shown_boxes, "");
  EXPECT_FALSE(TakeChosenDirectory(("/" + std::string(300, 'd')).c_str(), target));
  EXPECT_STREQ(target, "\\home\\ann\\maps\\");
  EXPECT_NE(g_shown_boxes.find("longer than 254 characters"), std::string::npos);

  EXPECT_STREQ(ChooseRunDirectory("\\chosen\\", "\\start\\"), "\\chosen\\");
  EXPECT_STREQ(ChooseRunDirectory("", "\\start\\"), "\\start\\");
  EXPECT_EQ(ChooseRunDirectory("", nullptr), nullptr);
}

TEST(GenerateCommand, TextsNameTheFileAndElapsedTimeWarnPastTheGameAndCutOnWholeCharacters) {
  const std::pair<int, std::string> results[] = {
      {0, OK + "0 seconds"}, {1, OK + "1 second"}, {2, OK + "2 seconds"}};
  char buffer[512];
  for (const auto& [result, shown] : results) {
    ComposeResultText(buffer, sizeof buffer, result);
    EXPECT_EQ(std::string(buffer), shown);
  }
  // Names are shown in native form, never read as a format, and cut to the buffer but
  // not inside a character; a long name is cut to keep the warning whole.
  const std::string in = "\n>>> Output file: \"";
  const std::string longName(600, 'n');
  const struct { const char* name; int seconds; size_t size; std::string shown; } cases[] = {
      {"sub\\100%s", 1, 512, in + "sub/100%s.mp3\"\n>>> Target directory: \"/w/\""},
      {"ab\xE2\x82\xAC", 1, 24, in + "ab"},
      {longName.c_str(), SILENCE_MAX_SECONDS, 512,
       (in + longName).substr(0, 511 - WARNING.size()) + WARNING},
  };
  for (const auto& c : cases) {
    std::string storage(700, '#');
    ComposeAnnouncement(storage.data(), c.size, c.name, "\\w\\", c.seconds);
    EXPECT_EQ(std::string(storage.c_str()), c.shown) << c.size;
    EXPECT_EQ(storage.substr(c.size), std::string(700 - c.size, '#')) << "written past the end";
  }
}

}  // namespace
