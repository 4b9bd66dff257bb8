// Path helpers: the documented cases of each routine, storage rules and over-long input.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "support/io_tools.h"
#include "support_test_tools.h"

namespace {

struct PathCase {
  const char* input;
  const char* expected;
};

using PathFunction = char* (*)(const char*);

void ExpectTable(PathFunction function, const std::vector<PathCase>& cases) {
  for (const PathCase& c : cases) {
    EXPECT_STREQ(function(c.input), c.expected) << "input: \"" << c.input << "\"";
  }
}

TEST(GetDirectory, SplitsAtTheLastBackslashElseTheLastSlash) {
  ExpectTable(GetDirectory, {
                                {"D:\\Music\\a.mp3", "D:\\Music"},
                                {".\\a.mp3", "."},
                                {"D:\\a.mp3", "D:"},
                                {"\\a.mp3", ""},
                                {"a.mp3", "a.mp3"},
                                {"D:/x/a.mp3", "D:/x"},
                                {"D:\\x/y/a.mp3", "D:"},
                                {"", ""},
                            });
}

TEST(GetDirectoryOfSlashPath, SplitsAtTheLastSlashOnly) {
  ExpectTable(GetDirectoryOfSlashPath, {
                                           {"D:/x/a.mp3", "D:/x"},
                                           {"D:\\x\\a.mp3", "D:\\x\\a.mp3"},
                                           {"/a.mp3", ""},
                                           {"a.mp3", "a.mp3"},
                                       });
}

TEST(GetFileName, TakesTheTextBehindTheLastSeparator) {
  ExpectTable(GetFileName, {
                               {"D:\\Music\\a.mp3", "a.mp3"},
                               {"D:\\Music\\", ""},
                               {"D:/x/a.mp3", "a.mp3"},
                               {"D:\\x/a.mp3", "x/a.mp3"},
                               {"a.mp3", "a.mp3"},
                               {"", ""},
                           });
}

TEST(GetFileNameOfSlashPath, TakesTheTextBehindTheLastSlashOnly) {
  ExpectTable(GetFileNameOfSlashPath, {
                                          {"D:/x/a.mp3", "a.mp3"},
                                          {"D:\\x\\a.mp3", "D:\\x\\a.mp3"},
                                          {"x/", ""},
                                      });
}

TEST(StripExtension, DropsTheExtensionOfTheLastComponent) {
  ExpectTable(StripExtension, {
                                  {"D:\\my.dir\\song.mp3", "D:\\my.dir\\song"},
                                  {"D:\\my.dir\\song", "D:\\my.dir\\song"},
                                  {"song.tar.gz", "song.tar"},
                                  {".mp3", ""},
                                  {"my.dir/song", "my"},
                              });
}

TEST(StripExtensionOfSlashPath, DropsTheExtensionBehindTheLastSlash) {
  ExpectTable(StripExtensionOfSlashPath, {
                                             {"D:/my.dir/song.mp3", "D:/my.dir/song"},
                                             {"D:/my.dir/song", "D:/my.dir/song"},
                                             {"my.dir\\song", "my"},
                                         });
}

TEST(StripExtensionInPlace, CutsTheStringItWasGiven) {
  const PathCase cases[] = {
      {"song.mp3", "song"}, {"D:\\my.dir\\song", "D:\\my.dir\\song"},
      {".mp3", ".mp3"},     {"my.dir/song", "my"},
      {"song.", "song"},    {"", ""},
      {"a.b", "a"},
  };
  for (const PathCase& c : cases) {
    char buffer[64];
    snprintf(buffer, sizeof buffer, "%s", c.input);
    EXPECT_EQ(StripExtensionInPlace(buffer), buffer);
    EXPECT_STREQ(buffer, c.expected) << "input: \"" << c.input << "\"";
  }
}

TEST(AddExtensionIfNone, AppendsOnlyWhenTheNameHasNoExtension) {
  const PathCase cases[] = {
      {"song", "song.mp3"},
      {"song.mp3", "song.mp3"},
      {"song.", "song."},
      {".x", ".x.mp3"},
      {"D:\\my.dir\\song", "D:\\my.dir\\song.mp3"},
      {"my.dir/song", "my.dir/song.mp3"},
      {"", ".mp3"},
  };
  for (const PathCase& c : cases) {
    char buffer[64];
    snprintf(buffer, sizeof buffer, "%s", c.input);
    AddExtensionIfNone(buffer, ".mp3");
    EXPECT_STREQ(buffer, c.expected) << "input: \"" << c.input << "\"";
  }
}

struct NormalizeCase {
  const char* input;
  bool add_trailing_backslash;
  const char* expected;
};

TEST(NormalizeDirectory, UsesBackslashesAndOneTrailingBackslash) {
  const NormalizeCase cases[] = {
      {"D:/Games/Voices/.", true, "D:\\Games\\Voices\\"},
      {"D:\\Games\\..", true, "D:\\Games\\"},
      {"D:\\", true, "D:\\"},
      {"D:/x", true, "D:\\x\\"},
      {"", true, "\\"},
      {"D:/x", false, "D:\\x"},
      {"/home/ann/maps", true, "\\home\\ann\\maps\\"},
      {"/home/ann/maps/", false, "\\home\\ann\\maps\\"},
      // A bare dot or two name the directory they were chosen in: the current one.
      {".", true, ".\\"},
      {"..", true, ".\\"},
      {".", false, "."},
      {"..", false, "."},
      {"/.", true, "\\"},
      {"/..", true, "\\"},
      {"./", true, ".\\"},
      // Names that only end in dots are real directories here and stay whole.
      {"D:/takes.", true, "D:\\takes.\\"},
      {"D:/takes..", true, "D:\\takes..\\"},
      {"a.", false, "a."},
      {"...", true, "...\\"},
  };
  for (const NormalizeCase& c : cases) {
    char* result = NormalizeDirectory(c.input, c.add_trailing_backslash);
    ASSERT_NE(result, nullptr);
    EXPECT_STREQ(result, c.expected)
        << "input: \"" << c.input << "\", flag " << c.add_trailing_backslash;
    FreeMemory(result);
  }
}

TEST(NormalizeDirectory, EachCallReturnsItsOwnZeroFilledBlock) {
  char* first = NormalizeDirectory("D:/a", true);
  char* second = NormalizeDirectory("D:/b", true);
  EXPECT_NE(first, second);
  EXPECT_STREQ(first, "D:\\a\\");
  for (size_t i = strlen(second); i < IO_DIRECTORY_BLOCK_SIZE; ++i) ASSERT_EQ(second[i], '\0');
  FreeMemory(first);
  FreeMemory(second);
}

TEST(GetDirectory, KeepsEightResultsAlive) {
  std::vector<char*> results;
  for (int i = 1; i <= 9; ++i) {
    std::string path = "D:\\dir" + std::to_string(i) + "\\a.mp3";
    results.push_back(GetDirectory(path.c_str()));
  }
  EXPECT_EQ(results[8], results[0]) << "the ninth call reuses the first slot";
  EXPECT_STREQ(results[0], "D:\\dir9");
  for (int i = 1; i < 8; ++i) {
    EXPECT_STREQ(results[i], ("D:\\dir" + std::to_string(i + 1)).c_str());
  }
}

TEST(GetDirectoryOfSlashPath, KeepsEightResultsAliveInItsOwnRing) {
  std::vector<char*> results;
  for (int i = 1; i <= 9; ++i) {
    std::string path = "/dir" + std::to_string(i) + "/a.mp3";
    results.push_back(GetDirectoryOfSlashPath(path.c_str()));
  }
  EXPECT_STREQ(results[0], "/dir9");
  for (int i = 1; i < 8; ++i) EXPECT_STREQ(results[i], ("/dir" + std::to_string(i + 1)).c_str());
  // A backslash lookup that finds none falls back to this ring; both rings still turn.
  char* backslash_result = GetDirectory("D:\\x\\a.mp3");
  char* fallback_result = GetDirectory("/y/a.mp3");
  EXPECT_STREQ(backslash_result, "D:\\x");
  EXPECT_STREQ(fallback_result, "/y");
  EXPECT_EQ(fallback_result, results[1]) << "the fallback takes the slash ring's next slot";
  EXPECT_STREQ(results[2], "/dir3");
}

TEST(OwnBufferHelpers, KeepOneResultUntilTheNextCall) {
  char* first = GetFileName("D:\\a\\one.mp3");
  char* second = GetFileName("D:\\a\\two.mp3");
  EXPECT_EQ(first, second);
  EXPECT_STREQ(first, "two.mp3");
  EXPECT_NE(StripExtension("x.y"), StripExtensionOfSlashPath("x.y"));
}

TEST(OverLongInput, IsCutToEachStorage) {
  const std::string long_name(1000, 'n');
  const std::string long_directory = "D:\\" + std::string(1000, 'd');
  const size_t kept = IO_PATH_BUFFER_SIZE - 1;

  const std::string file_name = GetFileName(("D:\\" + long_name).c_str());
  EXPECT_EQ(file_name, long_name.substr(0, kept));
  EXPECT_EQ(std::string(GetFileNameOfSlashPath(long_name.c_str())), long_name.substr(0, kept));
  EXPECT_EQ(std::string(StripExtension((long_name + ".mp3").c_str())), long_name.substr(0, kept));
  EXPECT_EQ(std::string(StripExtensionOfSlashPath(long_name.c_str())), long_name.substr(0, kept));

  // The ring slot holds the cut copy; its last backslash is the one after "D:".
  EXPECT_STREQ(GetDirectory((long_directory + "\\a.mp3").c_str()), "D:");
  EXPECT_EQ(std::string(GetDirectory(long_name.c_str())), long_name.substr(0, kept));

  char* with_backslash = NormalizeDirectory(("/" + long_name).c_str(), true);
  EXPECT_EQ(strlen(with_backslash), IO_DIRECTORY_BLOCK_SIZE - 1);
  EXPECT_EQ(with_backslash[IO_DIRECTORY_BLOCK_SIZE - 2], '\\');
  EXPECT_EQ(std::string(with_backslash + 1, 10), long_name.substr(0, 10));
  FreeMemory(with_backslash);
  char* without_backslash = NormalizeDirectory(long_name.c_str(), false);
  EXPECT_EQ(std::string(without_backslash), long_name.substr(0, IO_DIRECTORY_BLOCK_SIZE - 1));
  FreeMemory(without_backslash);

  // The in-place helpers have no storage of their own: a long string is handled whole.
  std::string in_place = long_name + ".mp3";
  StripExtensionInPlace(in_place.data());
  EXPECT_EQ(strlen(in_place.c_str()), long_name.size());
  std::vector<char> room(long_name.begin(), long_name.end());
  room.resize(long_name.size() + 5, '\0');
  AddExtensionIfNone(room.data(), ".mp3");
  EXPECT_EQ(std::string(room.data()), long_name + ".mp3");
}

class FileExistsTest : public ScratchDirectoryTest {};

TEST_F(FileExistsTest, IsTrueOnlyForAReadableFile) {
  std::ofstream("present.mp3") << "x";
  std::ofstream("empty.mp3");
  std::filesystem::create_directory("folder");
  std::filesystem::create_directory("sub");
  std::ofstream("sub/inner.mp3") << "x";

  EXPECT_TRUE(FileExists("present.mp3"));
  EXPECT_TRUE(FileExists("empty.mp3"));
  EXPECT_TRUE(FileExists(".\\sub\\inner.mp3")) << "the program's own form reaches the file";
  EXPECT_FALSE(FileExists("missing.mp3"));
  EXPECT_FALSE(FileExists("folder")) << "a directory is not a file";
  EXPECT_FALSE(FileExists(""));
  if (getuid() != 0) {
    std::ofstream("locked.mp3") << "x";
    std::filesystem::permissions("locked.mp3", std::filesystem::perms::none);
    EXPECT_FALSE(FileExists("locked.mp3")) << "cannot be opened for reading";
  }
}

}  // namespace
