// The writer's name rules as a list meets them: which names are refused on which system
// and why, which spellings make one file, and lists in the encodings and line ends that
// editors on either system save.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "cli/batch_list.h"
#include "generator/hushmaker.h"

namespace {

#ifdef _WIN32
constexpr bool K_WINDOWS = true;
#else
constexpr bool K_WINDOWS = false;
#endif

constexpr NameVerdict OK = NameVerdict::Writable;
constexpr NameVerdict REFUSED = NameVerdict::Refused;
constexpr NameVerdict LONG = NameVerdict::TooLong;

const std::string K_CONTROL =
    "the file name holds a control character (a line break or a tab, for instance); type the "
    "name without it";
const std::string K_FULL_PATH =
    "the name starts with a separator, as a full path does; a name is relative to the target "
    "folder, which is given apart";
const std::string K_FOLDER = "the name ends in a separator, so it names a folder, not a file";
const std::string K_DOTS = "the name's last part is only dots, which names no file";
const std::string K_COLON =
    "the name holds ':', which names a drive or a stream here, not a file; a name is relative "
    "to the target folder and cannot hold ':'";
const std::string K_RESERVED =
    "the name holds one of < > \" | ? *, which this system does not allow in names";
const std::string K_PART_TOO_LONG = "a file or folder name in the path is longer than 255 characters";

std::string Device(const std::string& part) {
  return "\"" + part + "\" is a device name that this system reserves (CON, PRN, AUX, NUL, "
         "COM1 to COM9 and LPT1 to LPT9, with any extension); choose another name";
}

// Names in the program's own form, as the writer takes them, in the working folder.
TEST(CheckFileName, RefusesWhatNoSystemOrOnlyWindowsCanMakeAndSaysWhy) {
  const std::string n251(251, 'n');  // with ".mp3", the longest name
  const struct {
    std::string name;
    NameVerdict posix, windows;
    std::string text;  // of the refusal, where there is one
  } rows[] = {
      {"voice", OK, OK, ""},
      {"sub\\voice", OK, OK, ""},
      {"..\\voice", OK, OK, ""},
      {".voice", OK, OK, ""},
      {"sub\\.\\voice", OK, OK, ""},
      {"Gr\xC3\xBC\xC3\x9F" "e", OK, OK, ""},
      {n251, OK, LONG, ""},  // Windows counts the working folder too
      {"na\tme", REFUSED, REFUSED, K_CONTROL},
      {"a\x1B[2J", REFUSED, REFUSED, K_CONTROL},
      {"a\x7F", REFUSED, REFUSED, K_CONTROL},
      {"\\home\\ann\\voice", REFUSED, REFUSED, K_FULL_PATH},
      {"\\", REFUSED, REFUSED, K_FULL_PATH},
      {"sub\\", REFUSED, REFUSED, K_FOLDER},
      {".", REFUSED, REFUSED, K_DOTS},
      {"..", REFUSED, REFUSED, K_DOTS},
      {"...", REFUSED, REFUSED, K_DOTS},
      {"sub\\..", REFUSED, REFUSED, K_DOTS},
      {n251 + "n", LONG, LONG, K_PART_TOO_LONG},
      {std::string(256, 'd') + "\\voice", LONG, LONG, K_PART_TOO_LONG},
      // Legal names on POSIX systems; a drive, a stream or a device on Windows.
      {"a:b", OK, REFUSED, K_COLON},
      {"C:voice", OK, REFUSED, K_COLON},
      {"C:\\work\\abs\\voice", OK, REFUSED, K_COLON},
      {"a<b", OK, REFUSED, K_RESERVED},
      {"a>b", OK, REFUSED, K_RESERVED},
      {"out\"", OK, REFUSED, K_RESERVED},
      {"a|b", OK, REFUSED, K_RESERVED},
      {"a?b", OK, REFUSED, K_RESERVED},
      {"a*", OK, REFUSED, K_RESERVED},
      {"CON", OK, REFUSED, Device("CON")},
      {"con.wav", OK, REFUSED, Device("con.wav")},
      {"PRN.tar.gz", OK, REFUSED, Device("PRN.tar.gz")},
      {"Nul", OK, REFUSED, Device("Nul")},
      {"AUX .txt", OK, REFUSED, Device("AUX .txt")},
      {"COM1", OK, REFUSED, Device("COM1")},
      {"lpt9.mp3", OK, REFUSED, Device("lpt9.mp3")},
      {"sub\\CON\\voice", OK, REFUSED, Device("CON")},
      // Only these exact device names are reserved.
      {"COM0", OK, OK, ""},
      {"COM10", OK, OK, ""},
      {"CONSOLE", OK, OK, ""},
      {"NULL.wav", OK, OK, ""},
      {"LPT", OK, OK, ""},
  };
  for (const auto& row : rows) {
    const NameVerdict expected = K_WINDOWS ? row.windows : row.posix;
    std::string problem;
    EXPECT_EQ(CheckFileName(nullptr, row.name.c_str(), &problem), expected) << row.name;
    if (expected == OK || !row.text.empty()) {
      EXPECT_EQ(problem, expected == OK ? "" : row.text) << row.name;
    }
  }
}

// The length counts the directory as given, and on Windows also the working folder a
// relative directory lies in, with room for the temporary name written beside the file.
TEST(CheckFileName, MeasuresTheWholePathBeforeAnythingIsWritten) {
  std::string problem;
  const std::string directory = std::string(250, 'd') + "\\";
  EXPECT_EQ(CheckFileName(directory.c_str(), "v", &problem), K_WINDOWS ? LONG : OK);
  EXPECT_EQ(CheckFileName(directory.c_str(), "voice", &problem), LONG);
  EXPECT_EQ(problem, "the target directory and file name are longer than 259 characters");

  // A working folder of 245 characters holds voice.mp3 within 259, but not the temporary
  // file beside it.
  namespace fs = std::filesystem;
  const fs::path start = fs::current_path();
  const fs::path top =
      fs::temp_directory_path() / ("hushmaker-names-" + std::to_string(std::random_device{}()));
  fs::create_directories(top);
  fs::current_path(top);
  const fs::path deep = top / std::string(245 - fs::current_path().string().size() - 1, 'f');
  fs::create_directory(deep);
  fs::current_path(deep);
  const NameVerdict verdict = CheckFileName(nullptr, "voice", &problem);
  fs::current_path(start);
  fs::remove_all(top);
  EXPECT_EQ(verdict, K_WINDOWS ? LONG : OK);
  if (K_WINDOWS) {
    EXPECT_EQ(problem.find("the file's full path, or that of the temporary file written beside "
                           "it, is longer than the 259 characters this system takes: "),
              0u)
        << problem;
  }
}

TEST(GetTargetFileKey, SpellingsOfOneFileShareAKeyAndOthersDoNot) {
  const struct {
    const char *directory, *a, *b;
    bool samePosix, sameWindows;
  } rows[] = {
      {nullptr, "voice", ".\\voice", true, true},
      {nullptr, "voice", "sub\\..\\voice", true, true},
      {nullptr, "voice", "sub\\\\..\\voice", true, true},
      {nullptr, "sub\\voice", "sub\\\\voice", true, true},
      {nullptr, "voice", "voice.wav", true, true},
      {nullptr, "a\\b\\..\\..\\voice", "voice", true, true},
      {"out\\", "..\\voice", "..\\out\\..\\voice", true, true},
      {"\\maps\\", "..\\..\\voice", "..\\voice", true, true},  // above the root is the root
      {nullptr, "voice", "Voice", false, true},
      {nullptr, "gr\xC3\xBC\xC3\x9F" "e", "GR\xC3\x9C\xC3\x9F" "E", false, true},
      {nullptr, "voice", "sub\\voice", false, false},
      {nullptr, "voice", "..\\voice", false, false},
      {nullptr, "sub\\..\\..\\voice", "voice", false, false},
      {nullptr, "voice", "voices", false, false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(GetTargetFileKey(row.directory, row.a) == GetTargetFileKey(row.directory, row.b),
              K_WINDOWS ? row.sameWindows : row.samePosix)
        << row.a << " and " << row.b;
  }
}

std::string Utf16(const std::string& ascii, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char c : ascii) bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
  return bytes;
}

// Each row is a list as an editor saves it; a list either gives its names or is refused
// on the line with the bytes that are not text.
TEST(ParseBatchList, ReadsUtf8AndUtf16WithTheirMarksAndRefusesOtherBytes) {
  const std::string grusse = "Gr\xC3\xBC\xC3\x9F" "e";
  const std::string notText = "not UTF-8 text; save the list as UTF-8";
  const struct {
    std::string bytes;
    std::vector<std::string> names;
    int badLine;  // 0: none
  } rows[] = {
      {"2 " + grusse + "\n", {grusse}, 0},
      {"\xEF\xBB\xBF" "2 " + grusse + "\r\n1 b", {grusse, "b"}, 0},
      {Utf16("2 G\r\n1 b", false), {"G", "b"}, 0},
      {Utf16("2 G\r\n1 b", true), {"G", "b"}, 0},
      // UTF-16 beyond ASCII: U+00FC, then U+1F600 as a surrogate pair.
      {std::string("\xFF\xFE" "1\0 \0\xFC\0\x3D\xD8\x00\xDE", 12), {"\xC3\xBC\xF0\x9F\x98\x80"}, 0},
      {std::string("\xFE\xFF\0" "1\0 \0\xFC\xD8\x3D\xDE\x00", 12), {"\xC3\xBC\xF0\x9F\x98\x80"}, 0},
      // A lone surrogate, half a unit at the end.
      {std::string("\xFF\xFE" "1\0 \0a\0\n\0" "1\0 \0\x3D\xD8", 16), {}, 2},
      {std::string("\xFF\xFE" "1\0 \0a\0\n\0" "1\0 \0b", 15), {}, 2},
      // Windows-1252, as Notepad saved before 2019.
      {"1 a\r\n2 Gr\xFC\xDF" "e\r\n", {}, 2},
      {"1 \xC0\xAF", {}, 1},          // an overlong '/'
      {"1 \xE0\x80\xAF", {}, 1},      // the same in three bytes
      {"1 \xED\xA0\x80", {}, 1},      // a surrogate written as UTF-8
      {"1 \xF4\x90\x80\x80", {}, 1},  // above U+10FFFF
      {"1 a\xE2\x82", {}, 1},         // cut short
      {"1 a\n1 b\xBF", {}, 2},        // a stray continuation byte
      {"# Gr\xFC\xDF" "e\n1 a", {"a"}, 0},  // a comment is never a name
  };
  for (const auto& row : rows) {
    const BatchList list = ParseBatchList(row.bytes);
    std::vector<std::string> names;
    for (const BatchEntry& entry : list.entries) names.push_back(entry.name);
    if (row.badLine) {
      ASSERT_EQ(list.problems.size(), 1u) << row.bytes;
      EXPECT_EQ(list.problems[0].line, row.badLine) << row.bytes;
      EXPECT_EQ(list.problems[0].text, notText) << row.bytes;
    } else {
      EXPECT_EQ(names, row.names) << row.bytes;
      EXPECT_TRUE(list.problems.empty()) << row.bytes;
    }
  }
}

TEST(ParseBatchList, EndsALineAtLfCrLfOrALoneCr) {
  const BatchList list = ParseBatchList("1 a\r2 b\r\n3 c\n\r4 d\r\r");
  ASSERT_EQ(list.entries.size(), 4u);
  const int lines[] = {1, 2, 3, 5};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(list.entries[i].line, lines[i]);
    EXPECT_EQ(list.entries[i].seconds, static_cast<int>(i) + 1);
  }
  EXPECT_EQ(list.entries[3].name, "d");
}

// Whatever the writer refuses, the list refuses on its line with the writer's reason, so
// that no list is half written.
TEST(ParseBatchList, RefusesEveryNameTheWriterWouldWithItsReason) {
  const char* names[] = {"first", "sec\tond", "CON", "a:b", "a|b", "sub/", "..", "/abs",
                         "lpt1.wav", "ok/fine"};
  for (const char* name : names) {
    const BatchList list = ParseBatchList(std::string("1 ") + name);
    std::string own = name;
    for (char& c : own) c = c == '/' ? '\\' : c;
    std::string problem;
    const bool writable = CheckFileName(nullptr, own.c_str(), &problem) == OK;
    EXPECT_EQ(list.entries.size(), writable ? 1u : 0u) << name;
    ASSERT_EQ(list.problems.size(), writable ? 0u : 1u) << name;
    if (!writable) {
      EXPECT_EQ(list.problems[0].text, problem) << name;
    }
  }
  // The directory counts: the second name no longer fits.
  const std::string deep = std::string(250, 'd') + "\\";
  const BatchList list = ParseBatchList("1 v\n1 voice\n", deep.c_str());
  ASSERT_FALSE(list.problems.empty());
  EXPECT_EQ(list.problems.back().line, 2);
  std::string problem;
  EXPECT_EQ(list.problems.size(), CheckFileName(deep.c_str(), "v", &problem) == OK ? 1u : 2u);
}

TEST(ParseBatchList, RefusesEveryLaterSpellingOfAnEarlierLinesFile) {
  const BatchList list =
      ParseBatchList("1 voice\n9 ./voice\n5 sub/../voice\n1 sub//../voice.wav\n2 VOICE\n"
                     "3 sub/voice\n4 sub//voice\n");
  std::vector<std::string> problems;
  for (const BatchProblem& problem : list.problems) {
    problems.push_back(std::to_string(problem.line) + ": " + problem.text);
  }
  std::vector<std::string> expected = {
      "2: makes the same file as line 1: ./voice.mp3",
      "3: makes the same file as line 1: sub/../voice.mp3",
      "4: makes the same file as line 1: sub//../voice.mp3",
  };
  if (K_WINDOWS) {
    for (std::string& text : expected) {
      for (char& c : text) c = c == '/' ? '\\' : c;
    }
    expected.push_back("5: makes the same file as line 1: VOICE.mp3");
  }
  expected.push_back(K_WINDOWS ? "7: makes the same file as line 6: sub\\\\voice.mp3"
                              : "7: makes the same file as line 6: sub//voice.mp3");
  EXPECT_EQ(problems, expected);
}

}  // namespace
