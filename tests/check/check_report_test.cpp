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

  static std::vector<std::string> Listed(const CheckPlan& plan) {
    std::vector<std::string> listed;
    for (const CheckItem& item : plan.items) listed.push_back(item.path + " as " + item.shown);
    return listed;
  }
};

const char* const OWN_WORDS[] = {"Jedi Outcast plays it", "3.996 s",
                                 "MPEG-1 Layer III, 44,100 Hz, mono, VBR"};

TEST_F(CheckReportTest, CoversNamedFilesAsNamedAndFoldersFileByFileFromTheirOwnName) {
  const struct {
    std::vector<std::string> named;
    std::vector<std::string> listed;
    bool counted;
  } rows[] = {
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
    EXPECT_EQ(Listed(plan), row.listed) << row.named[0];
    EXPECT_EQ(plan.counted, row.counted) << row.named[0];
  }
}

TEST_F(CheckReportTest, EachRowsWordsAreThoseOfItsLine) {
  const CheckPlan plan = PlanVoiceCheck({"voices", "voices/notes.txt", "gone.mp3"});
  const struct { const char *verdict, *caption, *detail, *line; } expected[] = {
      {OWN_WORDS[0], OWN_WORDS[1], OWN_WORDS[2],
       "voices/own.mp3: Jedi Outcast plays it, caption 3.996 s (MPEG-1 Layer III, 44,100 Hz, "
       "mono, VBR)"},
      {"Jedi Outcast refuses it", "", "not an MP3 file",
       "voices/sub/bad.mp3: Jedi Outcast refuses it: not an MP3 file"},
      {"not judged", "", "the game loads voice files named .mp3 or .wav",
       "voices/notes.txt: not judged: the game loads voice files named .mp3 or .wav"},
      {"cannot be read", "", "No such file or directory",
       "gone.mp3: cannot be read: No such file or directory"},
  };
  ASSERT_EQ(plan.items.size(), std::size(expected));
  CheckTally tally;
  for (size_t i = 0; i < plan.items.size(); ++i) {
    const CheckRow row = CheckPlannedItem(plan.items[i]);
    tally.Count(row);
    EXPECT_EQ(std::vector<std::string>({row.words.verdict, row.words.caption, row.words.detail,
                                        row.line}),
              std::vector<std::string>({expected[i].verdict, expected[i].caption,
                                        expected[i].detail, expected[i].line}));
  }
  EXPECT_EQ(DescribeCheckTally(tally), "4 files: 1 plays, 3 do not");
}

// A folder that cannot be listed (a subfolder without read permission, which root reads all
// the same) is a row of its own that counts as not played.
TEST_F(CheckReportTest, AFolderThatCannotBeReadIsARowThatDoesNotPlay) {
  const CheckRow row = CheckPlannedItem({"voices/locked", "voices/locked", true, "Permission denied"});
  EXPECT_EQ(row.line, "cannot read the folder voices/locked: Permission denied");
  EXPECT_EQ(row.words.verdict + "|" + row.words.detail, "cannot be read|Permission denied");
  CheckTally tally;
  tally.Count(row);
  EXPECT_EQ(tally.doNot, 1);
}

TEST(CheckTally, CountsLineAgreesInNumber) {
  const struct { int plays, doNot; const char* said; } rows[] = {
      {0, 0, "0 files: 0 play, 0 do not"},
      {1, 0, "1 file: 1 plays, 0 do not"},
      {0, 1, "1 file: 0 play, 1 does not"},
      {2, 1, "3 files: 2 play, 1 does not"},
      {1, 2, "3 files: 1 plays, 2 do not"},
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
