// What the window opens for the paths it is given: a drop's text read as paths, each path
// told apart by name or content, and the views that paths given together open. Runs on
// Windows too, where the scratch folder's path has a drive letter and backslashes.
#include "opening/opened_paths.h"

#include <filesystem>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace {

namespace fs = std::filesystem;
using Paths = std::vector<std::string>;

TEST(ReadDroppedPaths, DecodesFileUrisAndKeepsOtherLinesAsTheyAre) {
  const struct { const char *text; Paths paths; } rows[] = {
      // As a file manager sends them, with CR LF; the last line may lack its end.
      {"file:///tmp/my%20map/mymap.sp\r\nfile:///tmp/voices\r\n", {"/tmp/my map/mymap.sp", "/tmp/voices"}},
      {"file:///tmp/a.sp\nfile:///tmp/b", {"/tmp/a.sp", "/tmp/b"}},
      {"file://localhost/home/ann/%C3%BC.sp", {"/home/ann/\xC3\xBC.sp"}},
      {"file:///tmp/%41%4a%4A", {"/tmp/AJJ"}},
      // A % without two hexadecimal digits after it is a character of the name.
      {"file:///tmp/100%.sp\nfile:///tmp/%zz%4", {"/tmp/100%.sp", "/tmp/%zz%4"}},
      // Another host's file and other schemes are no local paths: kept, to be refused by name.
      {"file://server/share/a.sp\nhttp://x/a.sp\nfile:", {"file://server/share/a.sp", "http://x/a.sp", "file:"}},
      // Windows sends paths, one a line.
      {"C:\\maps\\mymap.sp\nD:\\sound\\chars\\mymap", {"C:\\maps\\mymap.sp", "D:\\sound\\chars\\mymap"}},
      {"# a comment of the list\r\n\r\n\n/plain/path\n", {"/plain/path"}},
      {"", {}},
  };
  for (const auto& row : rows) EXPECT_EQ(ReadDroppedPaths(row.text), row.paths) << row.text;
}

// A level's folder as it is when a map maker drops things: a package by each editor, one
// under another name, voice files, notes, and folders with and without voice files.
class OpenedPathsTest : public ScratchDirectoryTest {
 protected:
  void SetUp() override {
    ScratchDirectoryTest::SetUp();
    fs::create_directories("voices/sub");
    fs::create_directories("empty/sub");
    for (const char* name : {"mymap.sp", "MYMAP.STR", "voices/sub/a.WAV", "empty/sub/notes.txt"}) {
      WriteWholeFile(name, {});
    }
    Write("voices/kyle.mp3", "not sound, but named as a voice file");
    Write("backup.txt", "\xEF\xBB\xBF\r\n\r\n  VERSION 1\r\n");
    Write("notes.txt", "VERSIONS of the map");
    Write("short.txt", "VERSION");
  }
  static void Write(const char* name, const std::string& text) {
    WriteWholeFile(name, Bytes(text.begin(), text.end()));
  }
  // Paths within the scratch folder, as a drop names them: whole, in the system's form.
  std::string At(const std::string& name) const {
    return name.empty() ? "" : (fs::path(scratch_.path) / fs::u8path(name)).make_preferred().u8string();
  }
};

TEST_F(OpenedPathsTest, TellsEachPathByItsNameAndAFileOfAnotherNameByItsBeginning) {
  using K = OpenedKind;
  const std::pair<const char*, OpenedKind> rows[] = {
      {"mymap.sp", K::StringPackage}, {"MYMAP.STR", K::StringPackage},
      {"backup.txt", K::StringPackage}, {"voices/kyle.mp3", K::VoiceFile},
      {"voices/sub/a.WAV", K::VoiceFile}, {"voices", K::VoiceFolder}, {"empty", K::VoiceFolder},
      {"notes.txt", K::Refused}, {"short.txt", K::Refused}, {"gone.sp", K::Refused},
      {"gone.mp3", K::VoiceFile},
  };
  for (const auto& [name, kind] : rows) {
    const OpenedPath sorted = SortOpenedPath(At(name));
    EXPECT_EQ(sorted.kind, kind) << name;
    EXPECT_EQ(sorted.path, At(name));
    EXPECT_EQ(sorted.reason.empty(), kind != K::Refused) << name << ": " << sorted.reason;
  }
  EXPECT_EQ(SortOpenedPath(At("notes.txt")).reason,
            "neither a string package (.sp, .str) nor a voice file (.mp3, .wav)");
  // The system's own words for a missing file follow.
  const std::string missing = SortOpenedPath(At("gone.sp")).reason;
  EXPECT_EQ(missing.substr(0, 16), "cannot be read: ");
  EXPECT_GT(missing.size(), 20u) << missing;
}

TEST_F(OpenedPathsTest, APackageWithItsFolderOpensOnItAndTheRestOpensApart) {
  struct Row {
    Paths given;
    std::vector<std::pair<std::string, std::string>> levels;  // package, folder
    Paths checked, refused;
  };
  const Row rows[] = {
      {{"mymap.sp", "voices"}, {{"mymap.sp", "voices"}}, {}, {}},
      {{"voices", "mymap.sp"}, {{"mymap.sp", "voices"}}, {}, {}},
      // A level's folder may hold nothing yet: its files are to be written there.
      {{"mymap.sp", "empty"}, {{"mymap.sp", "empty"}}, {}, {}},
      {{"mymap.sp", "MYMAP.STR", "voices"}, {{"mymap.sp", "voices"}, {"MYMAP.STR", "voices"}}, {}, {}},
      {{"mymap.sp"}, {{"mymap.sp", ""}}, {}, {}},
      // With more than one folder, or a file, it is not told which is the level's.
      {{"mymap.sp", "voices", "voices/sub"}, {{"mymap.sp", ""}}, {"voices", "voices/sub"}, {}},
      {{"mymap.sp", "voices", "voices/kyle.mp3"}, {{"mymap.sp", ""}}, {"voices", "voices/kyle.mp3"}, {}},
      {{"mymap.sp", "voices/kyle.mp3"}, {{"mymap.sp", ""}}, {"voices/kyle.mp3"}, {}},
      {{"voices/kyle.mp3", "voices"}, {}, {"voices/kyle.mp3", "voices"}, {}},
      // Nothing to check in a folder without voice files.
      {{"empty", "voices/sub"}, {}, {"voices/sub"}, {"empty"}},
      {{"notes.txt", "gone.sp", "voices/kyle.mp3", "gone.wav"}, {}, {"voices/kyle.mp3", "gone.wav"},
       {"notes.txt", "gone.sp"}},
      {{"notes.txt", "mymap.sp", "voices"}, {{"mymap.sp", "voices"}}, {}, {"notes.txt"}},
      {{}, {}, {}, {}},
  };
  for (const Row& row : rows) {
    Paths given;
    for (const std::string& name : row.given) given.push_back(At(name));
    const OpenPlan plan = PlanOpening(given);
    std::vector<std::pair<std::string, std::string>> levels;
    for (const auto& [package, folder] : row.levels) levels.push_back({At(package), At(folder)});
    Paths checked, refused, planned;
    for (const std::string& name : row.checked) checked.push_back(At(name));
    for (const std::string& name : row.refused) refused.push_back(At(name));
    std::vector<std::pair<std::string, std::string>> plannedLevels;
    for (const LevelOpening& level : plan.levels) plannedLevels.push_back({level.package, level.folder});
    for (const OpenedPath& path : plan.refused) planned.push_back(path.path);
    const std::string trace = row.given.empty() ? "nothing" : row.given[0] + " and others";
    EXPECT_EQ(plannedLevels, levels) << trace;
    EXPECT_EQ(plan.checked, checked) << trace;
    EXPECT_EQ(planned, refused) << trace;
  }
  EXPECT_EQ(PlanOpening({At("empty")}).refused.at(0).reason, "a folder without voice files (.mp3, .wav)");
}

// A package is read whole up to the bound and refused past it; a folder cannot be read.
TEST_F(OpenedPathsTest, ReadsAFileWholeWithinItsBound) {
  Write("ten.txt", "0123456789");
  const struct { const char* name; size_t bound; bool read; const char* reason; } rows[] = {
      {"ten.txt", 10, true, ""},
      {"ten.txt", 9, false, "it holds more than 9 bytes, which no string package does"},
      {"mymap.sp", 0, true, ""},
  };
  for (const auto& row : rows) {
    std::string bytes = "earlier", reason;
    EXPECT_EQ(ReadOpenedFile(At(row.name), row.bound, &bytes, &reason), row.read) << row.bound;
    EXPECT_EQ(bytes, row.read && row.bound ? "0123456789" : "") << row.bound;
    EXPECT_EQ(reason, row.reason);
  }
  std::string bytes, reason;
  EXPECT_FALSE(ReadOpenedFile(At("gone.sp"), 10, &bytes, &reason));
  EXPECT_FALSE(reason.empty());
}

TEST(ComposeOpenedTitle, NamesUpToThreeAndCountsTheRest) {
  const struct { Paths paths; const char* title; } rows[] = {
      {{"sound/chars/mymap/"}, "mymap"},
      {{"/tmp/a.mp3", "b.wav"}, "a.mp3, b.wav"},
      {{"a", "b", "c"}, "a, b, c"},
      {{"a", "b", "c", "d", "e"}, "a, b, c and 2 more"},
      {{}, ""},
  };
  for (const auto& row : rows) EXPECT_EQ(ComposeOpenedTitle(row.paths), row.title);
}

}  // namespace
