// The level a package makes in a folder: which lines get files there, where a female
// player's come from, the lengths and the ones typed over them, what the folder holds for
// each line, and that writing never puts silence over a recording.
#include "strings/level.h"

#include <gtest/gtest.h>

#include <string>

#include "generator/hushmaker.h"
#include "tests/test_support.h"

namespace {

StringPackage Package(const std::string& bytes, const std::string& path) {
  PackageSource source;
  source.path = path;
  return ReadStringPackage(bytes, source);
}

// KYLE reads 5 characters, GUARD 31: 2 and 3 seconds at 15 a second.
const std::string STRINGED =
    "REFERENCE KYLE\nLANG_ENGLISH \"Hello\"\nREFERENCE GUARD\n"
    "LANG_ENGLISH \"Stop right there, nobody passes\"\nREFERENCE SILENT_ONE\nENDMARKER\n";

// Each line's files in the folders the game plays them from, and its length, which a
// length typed over it replaces for good.
TEST(OpenLevel, PlacesAndTimesEachLineAndKeepsTheLengthsTypedOverThem) {
  const StringPackage package = Package(STRINGED, "strings/english/mymap.str");
  // sound/, a folder of 47 characters and guard.mp3 make the 63 that a game path holds.
  const std::string folder = "\\base\\sound\\" + std::string(47, 'f') + "\\";
  Level level = OpenLevel(package, folder, LevelTiming());
  ASSERT_EQ(level.lines.size(), 3u);
  ASSERT_EQ(level.lines[1].files.size(), 1u);
  EXPECT_EQ(level.lines[1].files[0].directory, folder);
  EXPECT_EQ(level.lines[2].noFile, "no text yet, so no file");
  EXPECT_EQ(level.lines[0].seconds, 2);
  EXPECT_EQ(level.lines[1].characters, 31);
  EXPECT_EQ(level.lines[1].seconds, 3);
  TypeLineSeconds(&level, 0, 40000);
  TimeLevel(&level, {1, 1});
  EXPECT_EQ(level.lines[0].seconds, SILENCE_MAX_SECONDS);
  EXPECT_EQ(level.lines[1].seconds, 31);
  TypeLineSeconds(&level, 1, 0);
  MoveLevel(&level, "\\base\\sound\\" + std::string(48, 'f') + "\\");
  EXPECT_EQ(level.lines[1].noFile, "the game path sound/" + std::string(48, 'f') +
                                       "/guard.mp3 has 64 characters, and the game takes 63 at most");
  EXPECT_EQ(CountSkippedLines(level.reports), 1u);
  EXPECT_EQ(level.reports.front().text, "GUARD: " + level.lines[1].noFile);
  EXPECT_EQ(CountLevelFiles(level), 1u);
  EXPECT_EQ(level.lines[1].seconds, 1);
  // Not under sound/: only the file's name is known to count.
  MoveLevel(&level, "\\base\\" + std::string(60, 'f') + "\\");
  EXPECT_EQ(CountLevelFiles(level), 2u);
  // A female player: Jedi Academy's jaden_male folder has a twin; Jedi Outcast's none.
  MoveLevel(&level, "\\base\\sound\\chars\\JADEN_MALE\\mymap\\");
  ASSERT_EQ(level.lines[0].files.size(), 2u);
  EXPECT_EQ(level.lines[0].files[1].directory, "\\base\\sound\\chars\\jaden_fmle\\mymap\\");
  EXPECT_EQ(FindFemaleTwinDirectory("\\jaden_male\\a\\jaden_male\\"), "\\jaden_fmle\\a\\jaden_male\\");
  EXPECT_EQ(FindFemaleTwinDirectory("\\sound\\jaden_males\\"), "");
  const StringPackage strip = Package(
      "VERSION 1\nREFERENCE MYMAP\nCOUNT 1\nINDEX 0\n{\nREFERENCE KYLE\nTEXT_LANGUAGE1 \"Hi\"\n}\n",
      "strip/mymap.sp");
  EXPECT_EQ(OpenLevel(strip, "\\sound\\jaden_male\\", LevelTiming()).lines[0].files.size(), 1u);
}

class LevelFolderTest : public ScratchDirectoryTest {};

TEST_F(LevelFolderTest, TellsWhatTheFolderHoldsAndNeverWritesSilenceOverARecording) {
  RecordBoxes();
  Level level = OpenLevel(
      Package(STRINGED + "REFERENCE ODD\nLANG_ENGLISH \"x\"\nENDMARKER\n", "mymap.str"), "",
      LevelTiming());
  EXPECT_EQ(DescribeLevelFile(level.lines[0].files[0]), "no file yet");
  // KYLE's place holds a silent file, GUARD's a recording, and a file of no known kind
  // stands in a third line's place.
  ASSERT_NE(CreateBlankMP3(9, nullptr, "kyle"), -1);
  WriteWholeFile("guard.mp3", Recording());
  WriteWholeFile("odd.mp3", {'x'});
  SurveyLevelFolder(&level);
  EXPECT_EQ(DescribeLevelFile(level.lines[0].files[0]).substr(0, 42),
            "silent: Jedi Outcast plays it, caption 8.9");
  EXPECT_EQ(DescribeLevelFile(level.lines[1].files[0]).substr(0, 28), "recorded, kept: Jedi Outcast");
  EXPECT_EQ(DescribeLevelFile(level.lines[3].files[0]).substr(0, 21), "not told silent, kept");

  // Written as the writer writes a file of the line's length.
  ASSERT_NE(CreateBlankMP3(2, nullptr, "two"), -1);
  ASSERT_NE(CreateBlankMP3(3, nullptr, "three"), -1);
  EXPECT_EQ(WriteLevelFile(level.lines[0], level.lines[0].files[0], false), LevelWriting::Written);
  EXPECT_EQ(ReadWholeFile("kyle.mp3"), ReadWholeFile("two.mp3"));
  EXPECT_EQ(WriteLevelFile(level.lines[1], level.lines[1].files[0], false),
            LevelWriting::KeptRecorded);
  EXPECT_EQ(ReadWholeFile("guard.mp3"), Recording());
  EXPECT_EQ(WriteLevelFile(level.lines[3], level.lines[3].files[0], false),
            LevelWriting::KeptUnknown);
  EXPECT_EQ(ReadWholeFile("odd.mp3"), Bytes{'x'});
  // Asked for, a recording is replaced.
  EXPECT_EQ(WriteLevelFile(level.lines[1], level.lines[1].files[0], true), LevelWriting::Written);
  EXPECT_EQ(ReadWholeFile("guard.mp3"), ReadWholeFile("three.mp3"));
  EXPECT_TRUE(g_shown_boxes.empty()) << g_shown_boxes;
}

// The closing line --strings prints and the level view shows.
TEST(DescribeLevelTally, CountsEachOutcomeAndTellsTheRareOnesOnlyWhenThereAreAny) {
  using W = LevelWriting;
  const struct { std::vector<W> writings; int stopped; size_t skipped; const char* said; } rows[] = {
      {{W::Written}, 0, 0, "1 file written, 0 failed"},
      {{}, 0, 0, "0 files written, 0 failed"},
      {{W::Written, W::Written, W::Failed, W::KeptRecorded, W::KeptUnknown, W::Written}, 0, 1,
       "3 files written, 1 failed, 2 kept, 1 line skipped"},
      {{W::Failed}, 2, 3, "0 files written, 1 failed, 2 left when stopped, 3 lines skipped"},
  };
  for (const auto& row : rows) {
    LevelTally tally;
    for (W writing : row.writings) tally.Count(writing);
    tally.stopped = row.stopped;
    tally.skipped = row.skipped;
    EXPECT_EQ(DescribeLevelTally(tally), row.said);
  }
}

}  // namespace
