// The rows that hushmaker-cli --check prints and the window's check view shows: what a
// check covers for the paths named, the short names a view shows, each row's words and
// line, and the counts.
#include "checker/check_report.h"

#include <filesystem>
#include <string>
#include <vector>

#include "generator/hushmaker.h"
#include "tests/test_support.h"

namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

// A folder as a map maker has one: the writer's own 4 s file, which the game plays, a
// text saved under an .mp3 name in a subfolder, which it refuses, and notes it never loads.
class CheckReportTest : public ScratchDirectoryTest {
 protected:
  void SetUp() override {
    ScratchDirectoryTest::SetUp();
    fs::create_directories("voices/sub");
    ASSERT_NE(CreateBlankMP3(4, "voices\\", "own"), -1);
    WriteWholeFile("voices/sub/bad.mp3", Bytes{'h', 'e', 'l', 'l', 'o', '\n'});
    WriteWholeFile("voices/notes.txt", Bytes{'x'});
  }
};

TEST_F(CheckReportTest, CoversNamedFilesAsNamedAndFoldersFileByFileFromTheirOwnName) {
  const struct { Strings named, listed; bool counted; } rows[] = {
      {{"voices/own.mp3"}, {"voices/own.mp3 as own.mp3"}, false},
      {{"gone.mp3"}, {"gone.mp3 as gone.mp3"}, false},
      // The folder's files in name order, a subfolder's among them; no notes.
      {{"voices"}, {"voices/own.mp3 as voices/own.mp3", "voices/sub/bad.mp3 as voices/sub/bad.mp3"}, true},
      {{"voices/sub/"}, {"voices/sub/bad.mp3 as sub/bad.mp3"}, true},
      {{"./voices/sub"}, {"./voices/sub/bad.mp3 as sub/bad.mp3"}, true},
      // A folder without a name of its own keeps the paths as found.
      {{"."}, {"./voices/own.mp3 as ./voices/own.mp3", "./voices/sub/bad.mp3 as ./voices/sub/bad.mp3"}, true},
      {{"voices/own.mp3", "voices/notes.txt"},
       {"voices/own.mp3 as own.mp3", "voices/notes.txt as notes.txt"}, true},
  };
  for (const auto& row : rows) {
    const CheckPlan plan = PlanVoiceCheck(row.named);
    Strings listed;
    for (const CheckItem& item : plan.items) listed.push_back(item.path + " as " + item.shown);
    EXPECT_EQ(listed, row.listed) << row.named[0];
    EXPECT_EQ(plan.counted, row.counted) << row.named[0];
  }
}

// Each row's words (the view's cells) are those of its line (--check's); a folder that
// cannot be listed (a subfolder without read permission, which root reads all the same)
// is a row of its own that counts as not played. The other verdicts' words are read back
// from the check view's cells (tests/ui/views_test.cpp).
TEST_F(CheckReportTest, EachRowsWordsAreThoseOfItsLineAndCount) {
  const CheckItem items[] = {PlanVoiceCheck({"voices/own.mp3"}).items.at(0),
                             PlanVoiceCheck({"voices/notes.txt"}).items.at(0),
                             {"voices/locked", "voices/locked", true, "Permission denied"}};
  const Strings expected[] = {
      {"Jedi Outcast plays it", "3.996 s", "MPEG-1 Layer III, 44,100 Hz, mono, VBR",
       "voices/own.mp3: Jedi Outcast plays it, caption 3.996 s (MPEG-1 Layer III, 44,100 Hz, mono, VBR)"},
      {"not judged", "", "the game loads voice files named .mp3 or .wav",
       "voices/notes.txt: not judged: the game loads voice files named .mp3 or .wav"},
      {"cannot be read", "", "Permission denied", "cannot read the folder voices/locked: Permission denied"},
  };
  CheckTally tally;
  for (size_t i = 0; i < std::size(items); ++i) {
    const CheckRow row = CheckPlannedItem(items[i]);
    tally.Count(row);
    EXPECT_EQ(Strings({row.words.verdict, row.words.caption, row.words.detail, row.line}), expected[i]);
  }
  EXPECT_EQ(DescribeCheckTally(tally), "3 files: 1 plays, 2 do not");
}

TEST(CheckTally, CountsLineAgreesInNumber) {
  const struct { int plays, doNot; const char* said; } rows[] = {
      {0, 0, "0 files: 0 play, 0 do not"},
      {1, 0, "1 file: 1 plays, 0 do not"},
      {0, 1, "1 file: 0 play, 1 does not"},
      {2, 1, "3 files: 2 play, 1 does not"},
  };
  for (const auto& row : rows) {
    CheckTally tally;
    tally.plays = row.plays;
    tally.doNot = row.doNot;
    EXPECT_EQ(DescribeCheckTally(tally), row.said);
  }
}

TEST(GetShownName, IsTheLastNameOrThePathItselfWithoutOne) {
  const std::pair<const char*, const char*> rows[] = {
      {"sound/chars/mymap", "mymap"}, {"sound/chars/mymap/", "mymap"},
      {"sound/chars/mymap//", "mymap"}, {"kyle.mp3", "kyle.mp3"},
      {"/", "/"}, {".", "."}, {"..", ".."}, {"a/..", "a/.."}, {"", ""},
  };
  for (const auto& [path, shown] : rows) EXPECT_EQ(GetShownName(path), shown) << path;
}

}  // namespace
