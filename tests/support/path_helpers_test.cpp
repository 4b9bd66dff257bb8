// Path helpers: the documented cases of each routine, storage rules and over-long input.
#include <functional>
#include <memory>

#include "support/path_helpers.h"
#include "tests/test_support.h"

namespace {

std::string Normalize(const char* path, bool backslash) {
  std::unique_ptr<char, void (*)(void*)> block(NormalizeDirectory(path, backslash), FreeMemory);
  return block.get();
}
std::string StripInPlace(std::string text) { return StripExtensionInPlace(text.data()); }
std::string AddMp3(std::string text) {
  text.resize(text.size() + 5);  // the room the caller must leave
  AddExtensionIfNone(text.data(), ".mp3");
  return text.c_str();
}

// Over-long input is cut to the helpers' storage.
const std::string LONG(1000, 'n'), CUT = LONG.substr(0, IO_PATH_BUFFER_SIZE - 1);

// Every helper as text in, text out, so that one table holds them all.
const struct {
  const char* name;
  std::function<std::string(const char*)> helper;
  std::vector<std::pair<std::string, std::string>> cases;  // input, result
} PATH_CASES[] = {
    {"GetDirectory", GetDirectory, {{"D:\\M\\x/y/a.mp3", "D:\\M"}, {"D:/x/a.mp3", "D:/x"},
                                    {LONG, CUT}, {"D:\\" + LONG + "\\a.mp3", "D:"}}},
    {"GetFileName", GetFileName, {{"D:\\M\\x/a.mp3", "x/a.mp3"}, {"D:\\" + LONG, CUT}}},
    {"GetFileNameOfSlashPath", GetFileNameOfSlashPath, {{"D:/x\\a.mp3", "x\\a.mp3"}, {LONG, CUT}}},
    {"StripExtension", StripExtension,
     {{"D:\\my.dir\\song.mp3", "D:\\my.dir\\song"}, {"D:\\my.dir\\song", "D:\\my.dir\\song"},
      {".mp3", ""}, {LONG + ".mp3", CUT}}},
    {"StripExtensionInPlace", StripInPlace,
     {{"D:\\my.dir\\song", "D:\\my.dir\\song"}, {".mp3", ".mp3"}, {"my.dir/song", "my"}}},
    {"AddExtensionIfNone", AddMp3, {{"song.mp3", "song.mp3"}, {".x", ".x.mp3"},
     {"D:\\my.dir\\song", "D:\\my.dir\\song.mp3"}, {"my.dir/song", "my.dir/song.mp3"}}},
    // A bare "." or ".." names the directory it was chosen in, the current one; a name
    // that only ends in dots is a real directory here and stays whole.
    {"NormalizeDirectory", [](const char* path) { return Normalize(path, true); },
     {{"D:/Games/Voices/.", "D:\\Games\\Voices\\"}, {"D:\\Games\\..", "D:\\Games\\"},
      {"D:\\", "D:\\"}, {"..", ".\\"}, {"/..", "\\"}, {"D:/takes.", "D:\\takes.\\"},
      {LONG, LONG.substr(0, IO_DIRECTORY_BLOCK_SIZE - 2) + "\\"}}},  // still ends in a backslash
    {"NormalizeDirectory, no backslash", [](const char* path) { return Normalize(path, false); },
     {{"D:/x", "D:\\x"}, {"..", "."}, {LONG, LONG.substr(0, IO_DIRECTORY_BLOCK_SIZE - 1)}}},
};

TEST(PathHelpers, GiveTheDocumentedResultsCutToTheirStorage) {
  for (const auto& routine : PATH_CASES)
    for (const auto& [input, expected] : routine.cases)
      EXPECT_EQ(routine.helper(input.c_str()), expected) << routine.name << "(\"" << input << "\")";
}

TEST(GetDirectory, KeepsEightResultsAlive) {
  char* results[9];
  for (int i = 0; i < 9; ++i) results[i] = GetDirectory(("D:\\" + std::to_string(i) + "\\a").c_str());
  EXPECT_STREQ(results[0], "D:\\8") << "the ninth call overwrites the first";
  for (int i = 1; i < 8; ++i) EXPECT_EQ(results[i], "D:\\" + std::to_string(i));
}

using FileExistsTest = ScratchDirectoryTest;

TEST_F(FileExistsTest, IsTrueOnlyForAReadableFile) {
  std::ofstream("empty.mp3");
  EXPECT_TRUE(FileExists(".\\empty.mp3")) << "the program's own form reaches the file";
  EXPECT_FALSE(FileExists("missing.mp3"));
  EXPECT_FALSE(FileExists(".")) << "a directory is not a file";
}

}  // namespace
