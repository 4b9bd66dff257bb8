// The Generate command without a window: the folder it writes into, the texts it shows,
// and the lengths the writer takes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "generator/generate_command.h"
#include "generator/hushmaker.h"
#include "platform/platform.h"
#include "support/path_helpers.h"

namespace {

const std::string OK = "\n>>> Compilation has been successful :)\n>>> Elapsed time: ";
const std::string WARNING = std::string("\n>>> ") + GENERATE_TEXT_GAME_LIMIT;

// Box texts shown while it lives; the real presenter is back afterwards.
struct BoxRecorder {
  std::vector<std::string> texts;
  BoxRecorder() {
    ReplaceBoxPresenter([this](const char*, const char* text, BoxIcon) { texts.push_back(text); });
  }
  ~BoxRecorder() { ReplaceBoxPresenter(nullptr); }
};

TEST(GenerateCommand, FoldersAreTakenWholeInTheProgramsOwnFormOrRefused) {
  const std::string longest(IO_DIRECTORY_BLOCK_SIZE - 2, 'd');
  const struct { std::string native; DirectoryProblem problem; std::string own; } rows[] = {
      {"/home/ann/maps", DirectoryProblem::None, "\\home\\ann\\maps\\"},
      {"/home/ann/maps/", DirectoryProblem::None, "\\home\\ann\\maps\\"},
      {"sounds/..", DirectoryProblem::None, "sounds\\..\\"},  // the parent, as typed
      {longest, DirectoryProblem::None, longest + "\\"},
      {longest + "d", DirectoryProblem::TooLong, ""},
      {"/home/a\\b", DirectoryProblem::HoldsBackslash, ""},
      {"", DirectoryProblem::Empty, ""},
  };
  for (const auto& row : rows) {
    std::string own;
    EXPECT_EQ(PrepareTargetDirectory(row.native.c_str(), &own), row.problem) << row.native;
    if (row.problem == DirectoryProblem::None) {
      EXPECT_EQ(own, row.own);
    }
  }
}

TEST(GenerateCommand, AChoiceReplacesTheFolderBeforeACancelKeepsItARefusalIsShown) {
  BoxRecorder boxes;
  char target[IO_DIRECTORY_BLOCK_SIZE] = "\\before\\";
  EXPECT_TRUE(TakeChosenDirectory(nullptr, target));
  EXPECT_TRUE(TakeChosenDirectory("", target));
  EXPECT_STREQ(target, "\\before\\");
  // The chooser's "." entry names the folder it was picked in.
  EXPECT_TRUE(TakeChosenDirectory("/home/ann/maps/.", target));
  EXPECT_STREQ(target, "\\home\\ann\\maps\\");
  EXPECT_TRUE(boxes.texts.empty());

  const std::string tooLong = "/" + std::string(300, 'd');
  EXPECT_FALSE(TakeChosenDirectory("/home/a\\b", target));
  EXPECT_FALSE(TakeChosenDirectory(tooLong.c_str(), target));
  EXPECT_STREQ(target, "\\home\\ann\\maps\\");
  ASSERT_EQ(boxes.texts.size(), 2u);
  EXPECT_NE(boxes.texts[0].find("\"/home/a\\b\" holds a backslash"), std::string::npos);
  EXPECT_NE(boxes.texts[1].find("longer than 254 characters"), std::string::npos);

  EXPECT_STREQ(ChooseRunDirectory("\\chosen\\", "\\start\\"), "\\chosen\\");
  EXPECT_STREQ(ChooseRunDirectory("", "\\start\\"), "\\start\\");
  EXPECT_EQ(ChooseRunDirectory("", ""), nullptr);
  EXPECT_EQ(ChooseRunDirectory("", nullptr), nullptr);
  ASSERT_EQ(boxes.texts.size(), 4u);
  EXPECT_NE(boxes.texts[3].find("choose a target directory"), std::string::npos);
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
  const std::string folder = "\"\n>>> Target directory: \"/w/\"";
  const std::string longName(600, 'n');
  const struct { const char* name; int seconds; size_t size; std::string shown; } cases[] = {
      {"sub\\100%s", 1, 512, in + "sub/100%s.mp3" + folder},
      {"", GENERATE_GAME_MAX_SECONDS, 512, in + "blankfile.mp3" + folder},
      {"", GENERATE_GAME_MAX_SECONDS + 1, 512, in + "blankfile.mp3" + folder + WARNING},
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
  EXPECT_EQ(PrepareTypedName(longName.c_str()), longName) << "the writer gets the name typed";
}

TEST(GenerateCommand, TheWriterRefusesALengthOutOfRangeBeforeWritingAnything) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / "hushmaker-length-test";
  std::filesystem::create_directories(folder);
  std::string own;
  ASSERT_EQ(PrepareTargetDirectory(folder.string().c_str(), &own), DirectoryProblem::None);
  BoxRecorder boxes;
  for (int seconds : {-1, 0, SILENCE_MAX_SECONDS + 1}) {
    EXPECT_EQ(CreateBlankMP3(seconds, own.c_str(), "voice"), -1) << seconds;
  }
  EXPECT_EQ(boxes.texts.size(), 3u);
  EXPECT_TRUE(std::filesystem::is_empty(folder));
  EXPECT_NE(CreateBlankMP3(1, own.c_str(), "voice"), -1);
  EXPECT_TRUE(std::filesystem::exists(folder / "voice.mp3"));
  std::filesystem::remove_all(folder);
}

}  // namespace
