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
    const std::pair<const char*, std::string> files[] = {
        {"mymap.sp", ""}, {"MYMAP.STR", ""}, {"voices/sub/a.WAV", ""}, {"empty/sub/notes.txt", ""},
        {"voices/kyle.mp3", "not sound, but named as a voice file"},
        {"backup.txt", "\xEF\xBB\xBF\r\n\r\n  VERSION 1\r\n"}, {"notes.txt", "VERSIONS of the map"},
        {"short.txt", "VERSION"}, {"ten.txt", "0123456789"}};
    for (const auto& [name, text] : files) WriteWholeFile(name, Bytes(text.begin(), text.end()));
  }
  // Paths within the scratch folder, as a drop names them: whole, in the system's form.
  std::string At(const std::string& name) const {
    return (fs::path(scratch_.path) / fs::u8path(name)).make_preferred().u8string();
  }
  // And back: a path from the scratch folder on, as the rows name it.
  std::string Name(const std::string& path) const {
    return fs::u8path(path).lexically_relative(scratch_.path).generic_u8string();
  }
};

// A refusal's reason by its start: the system's own words for a missing file follow.
TEST_F(OpenedPathsTest, TellsEachPathByItsNameAndAFileOfAnotherNameByItsBeginning) {
  using K = OpenedKind;
  const struct { const char* name; OpenedKind kind; const char* reason; } rows[] = {
      {"mymap.sp", K::StringPackage, ""}, {"MYMAP.STR", K::StringPackage, ""},
      {"backup.txt", K::StringPackage, ""}, {"voices/kyle.mp3", K::VoiceFile, ""},
      {"voices/sub/a.WAV", K::VoiceFile, ""}, {"voices", K::VoiceFolder, ""}, {"empty", K::VoiceFolder, ""},
      {"notes.txt", K::Refused, "neither a string package"}, {"short.txt", K::Refused, "neither"},
      {"gone.sp", K::Refused, "cannot be read: "}, {"gone.mp3", K::VoiceFile, ""},
  };
  for (const auto& row : rows) {
    const OpenedPath sorted = SortOpenedPath(At(row.name));
    EXPECT_EQ(sorted.kind, row.kind) << row.name;
    EXPECT_EQ(sorted.reason.substr(0, strlen(row.reason)), row.reason) << row.name;
    EXPECT_EQ(sorted.reason.size() > strlen(row.reason), row.kind == K::Refused) << sorted.reason;
  }
}

// Each plan told as "level PACKAGE on FOLDER; check PATH; refuse PATH; ".
TEST_F(OpenedPathsTest, APackageWithItsFolderOpensOnItAndTheRestOpensApart) {
  const struct { Paths given; const char* plan; } rows[] = {
      {{"mymap.sp", "voices"}, "level mymap.sp on voices; "},
      {{"voices", "mymap.sp"}, "level mymap.sp on voices; "},
      // A level's folder may hold nothing yet: its files are to be written there.
      {{"mymap.sp", "empty"}, "level mymap.sp on empty; "},
      {{"mymap.sp", "MYMAP.STR", "voices"}, "level mymap.sp on voices; level MYMAP.STR on voices; "},
      {{"mymap.sp"}, "level mymap.sp on ; "},
      // With more than one folder, or a file, it is not told which is the level's.
      {{"mymap.sp", "voices", "voices/sub"}, "level mymap.sp on ; check voices; check voices/sub; "},
      {{"mymap.sp", "voices", "voices/kyle.mp3"}, "level mymap.sp on ; check voices; check voices/kyle.mp3; "},
      {{"mymap.sp", "voices/kyle.mp3"}, "level mymap.sp on ; check voices/kyle.mp3; "},
      {{"voices/kyle.mp3", "voices"}, "check voices/kyle.mp3; check voices; "},
      // Nothing to check in a folder without voice files.
      {{"empty", "voices/sub"}, "check voices/sub; refuse empty; "},
      {{"notes.txt", "gone.sp", "voices/kyle.mp3", "gone.wav"},
       "check voices/kyle.mp3; check gone.wav; refuse notes.txt; refuse gone.sp; "},
      {{"notes.txt", "mymap.sp", "voices"}, "level mymap.sp on voices; refuse notes.txt; "},
      {{}, ""},
  };
  for (const auto& row : rows) {
    Paths given;
    for (const std::string& name : row.given) given.push_back(At(name));
    const OpenPlan plan = PlanOpening(given);
    std::string told;
    for (const LevelOpening& level : plan.levels) {
      told += "level " + Name(level.package) + " on " + Name(level.folder) + "; ";
    }
    for (const std::string& path : plan.checked) told += "check " + Name(path) + "; ";
    for (const OpenedPath& path : plan.refused) told += "refuse " + Name(path.path) + "; ";
    EXPECT_EQ(told, row.plan);
  }
}

// A package is read whole up to the bound and refused past it (a file that cannot be read is
// the level view's test's).
TEST_F(OpenedPathsTest, ReadsAFileWholeWithinItsBound) {
  const struct { const char* name; size_t bound; const char *read, *reason; } rows[] = {
      {"ten.txt", 10, "0123456789", ""},
      {"ten.txt", 9, "", "it holds more than 9 bytes, which no string package does"},
      {"mymap.sp", 0, "", ""},
  };
  for (const auto& row : rows) {
    std::string bytes = "earlier", reason;
    EXPECT_EQ(ReadOpenedFile(At(row.name), row.bound, &bytes, &reason), !row.reason[0]) << row.bound;
    EXPECT_EQ(bytes, row.read) << row.bound;
    EXPECT_EQ(reason, row.reason);
  }
}

TEST(ComposeOpenedTitle, NamesUpToThreeAndCountsTheRest) {
  const struct { Paths paths; const char* title; } rows[] = {
      {{"/tmp/a.mp3", "b.wav", "c"}, "a.mp3, b.wav, c"},
      {{"a", "b", "c", "d", "e"}, "a, b, c and 2 more"},
      {{}, ""},
  };
  for (const auto& row : rows) EXPECT_EQ(ComposeOpenedTitle(row.paths), row.title);
}

}  // namespace
