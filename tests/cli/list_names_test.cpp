// Lists as the command line reads them: lengths, the writer's name rules (which names are
// refused on which system and why, which spellings make one file), lists in the encodings
// and line ends that editors on either system save, the bounds on a list that is read and
// the escapes of what is printed back.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "cli/batch_list.h"
#include "cli/list_input.h"
#include "generator/hushmaker.h"
#include "tests/test_support.h"

namespace {

#ifdef _WIN32
constexpr bool K_WINDOWS = true;
#else
constexpr bool K_WINDOWS = false;
#endif

constexpr NameVerdict OK = NameVerdict::Writable;
constexpr NameVerdict REFUSED = NameVerdict::Refused;
constexpr NameVerdict LONG = NameVerdict::TooLong;

// Names in the program's own form, as the writer takes them, in the working folder; text
// is a part of the refusal that tells which rule refused the name.
TEST(CheckFileName, RefusesWhatNoSystemOrOnlyWindowsCanMakeAndSaysWhy) {
  const std::string n251(251, 'n');  // with ".mp3", the longest name
  const std::string control = "control character", separator = "starts with a separator";
  const std::string dots = "only dots", device = "\" is a device name", reserved = "one of < >";
  const std::string tooLong = "name in the path is longer than 255";
  const struct { std::string name; NameVerdict posix, windows; std::string text; } rows[] = {
      {"voice", OK, OK, ""}, {"..\\.voice", OK, OK, ""}, {"Gr\xC3\xBC\xC3\x9F" "e", OK, OK, ""},
      {n251, OK, LONG, ""},  // Windows counts the working folder too
      {"na\tme", REFUSED, REFUSED, control}, {"a\x7F", REFUSED, REFUSED, control},
      {"\\home\\voice", REFUSED, REFUSED, separator}, {"\\", REFUSED, REFUSED, separator},
      {"sub\\", REFUSED, REFUSED, "ends in a separator"}, {"...", REFUSED, REFUSED, dots},
      {"sub\\..", REFUSED, REFUSED, dots},
      {n251 + "n", LONG, LONG, tooLong}, {std::string(256, 'd') + "\\voice", LONG, LONG, tooLong},
      // Legal names on POSIX systems; a drive, a stream or a device on Windows.
      {"C:\\abs\\voice", OK, REFUSED, "holds ':'"}, {"a<", OK, REFUSED, reserved},
      {"a>", OK, REFUSED, reserved}, {"a\"", OK, REFUSED, reserved}, {"a|", OK, REFUSED, reserved},
      {"a?", OK, REFUSED, reserved}, {"a*", OK, REFUSED, reserved},
      {"con.wav", OK, REFUSED, "\"con.wav" + device}, {"PRN.tar.gz", OK, REFUSED, device},
      {"Nul", OK, REFUSED, device}, {"AUX .txt", OK, REFUSED, device},
      {"COM1", OK, REFUSED, device}, {"lpt9.mp3", OK, REFUSED, device},
      {"sub\\CON\\voice", OK, REFUSED, "\"CON" + device},
      // Only these exact device names are reserved.
      {"COM0", OK, OK, ""}, {"COM10", OK, OK, ""}, {"CONSOLE", OK, OK, ""}, {"LPT", OK, OK, ""},
  };
  for (const auto& row : rows) {
    const NameVerdict expected = K_WINDOWS ? row.windows : row.posix;
    std::string problem;
    EXPECT_EQ(CheckFileName(nullptr, row.name.c_str(), &problem), expected) << row.name;
    EXPECT_TRUE(expected == OK ? problem.empty() : problem.find(row.text) != std::string::npos)
        << row.name << ": " << problem;
  }
}

// The length counts the directory as given, and on Windows also the working folder a
// relative directory lies in, with room for the temporary name written beside the file.
TEST(CheckFileName, MeasuresTheWholePathBeforeAnythingIsWritten) {
  std::string problem;
  const std::string directory = std::string(250, 'd') + "\\";
  EXPECT_EQ(CheckFileName(directory.c_str(), "v", &problem), K_WINDOWS ? LONG : OK);
  EXPECT_EQ(CheckFileName(directory.c_str(), "voice", &problem), LONG);

  // A working folder of 245 characters holds voice.mp3 within 259, but not the temporary
  // file beside it.
  namespace fs = std::filesystem;
  const ScratchDirectory top;
  const fs::path start = fs::current_path();
  fs::current_path(top.path);
  const std::string deep(244 - fs::current_path().string().size(), 'f');
  fs::create_directory(deep);
  fs::current_path(deep);
  const NameVerdict verdict = CheckFileName(nullptr, "voice", &problem);
  fs::current_path(start);
  EXPECT_EQ(verdict, K_WINDOWS ? LONG : OK);
  EXPECT_TRUE(!K_WINDOWS || problem.find("or that of the temporary file") != std::string::npos)
      << problem;
}

// Spellings that differ only by ".", "..", doubled separators, the extension or (on
// Windows) ASCII case are refused as duplicates in a list, below.
TEST(GetTargetFileKey, SpellingsOfOneFileShareAKeyAndOthersDoNot) {
  const struct { const char *directory, *a, *b; bool samePosix, sameWindows; } rows[] = {
      {"out\\", "..\\voice", "..\\out\\..\\voice", true, true},
      {"\\maps\\", "..\\..\\voice", "..\\voice", true, true},  // above the root is the root
      {nullptr, "..\\..\\voice", "voice", false, false},
      {nullptr, "gr\xC3\xBC\xC3\x9F" "e", "GR\xC3\x9C\xC3\x9F" "E", false, true},
  };
  for (const auto& row : rows)
    EXPECT_EQ(GetTargetFileKey(row.directory, row.a) == GetTargetFileKey(row.directory, row.b),
              K_WINDOWS ? row.sameWindows : row.samePosix)
        << row.a << " and " << row.b;
}

TEST(ParseLength, TakesTheThreeFormsWithinTheRangeAndNothingElse) {
  const std::pair<const char*, int> cases[] = {  // 0: refused
      {"90", 90},        {"1:30", 90},       {"0:05", 5},   {"1:00:00", 3600}, {"8:00:00", 28800},
      {"480:00", 28800}, {"0007", 7},        {"28801", 0},  {"99999999999999999999", 0},
      {"0", 0},          {"1:5", 0},         {"1:60", 0},   {"1:00:60", 0},    {"1:00:00:00", 0},
      {":30", 0},        {"1:", 0},          {"+5", 0},     {"1.5", 0},        {"", 0},
  };
  for (const auto& [text, expected] : cases) {
    int seconds = -1;
    std::string problem;
    EXPECT_EQ(ParseLength(text, &seconds, &problem), expected != 0) << text;
    EXPECT_EQ(expected ? seconds : 0, expected) << text;
    EXPECT_EQ(problem.empty(), expected != 0) << text;
  }
}

std::string Utf16(const std::u16string& text, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char16_t unit : text) {
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

// The list as read, in line order: "LINE:SECONDS NAME" for a file, "LINE: PROBLEM" for a
// refused line, joined by '|'.
std::string Read(const std::string& bytes, const char* directory = nullptr) {
  const BatchList list = ParseBatchList(bytes, directory);
  std::map<int, std::string> lines;
  for (const BatchEntry& entry : list.entries) {
    lines[entry.line] += std::to_string(entry.seconds) + " " + entry.name;
  }
  for (const BatchProblem& problem : list.problems) lines[problem.line] += " " + problem.text;
  std::string shown;
  for (const auto& [line, text] : lines) {
    shown += (shown.empty() ? "" : "|") + std::to_string(line) + ":" + text;
  }
  return shown;
}

// Each row is a list as an editor saves it; a list either gives its names or is refused
// on the line with the bytes that are not text, that is no SECONDS NAME, or whose name the
// writer would refuse, with the writer's reason, so that no list is half written.
TEST(ParseBatchList, ReadsTheListsEditorsSaveAndRefusesLinesThatAreNone) {
  const std::string grusse = "Gr\xC3\xBC\xC3\x9F" "e";
  const std::string bad1 = "1: not UTF-8 text; save the list as UTF-8";
  const std::string bad2 = "1:1 a|2" + bad1.substr(1);
  // U+00FC, U+20AC, then U+1F600 as a surrogate pair.
  const std::u16string wide = u"1 \u00FC\u20AC\U0001F600\r\n2 b";
  const std::string wideRead = "1:1 \xC3\xBC\xE2\x82\xAC\xF0\x9F\x98\x80|2:2 b";
  const struct { std::string bytes, read; } rows[] = {
      {"2 " + grusse + "\n", "1:2 " + grusse},
      {"\xEF\xBB\xBF" "2 " + grusse + "\r\n1 b", "1:2 " + grusse + "|2:1 b"},
      {Utf16(wide, false), wideRead}, {Utf16(wide, true), wideRead},
      {Utf16(u"1 a\n1 \xD83D", false), bad2},  // a lone surrogate
      {Utf16(u"1 a\n1 b", false) + "c", bad2},  // half a unit
      {"1 \xC0\xAF", bad1}, {"1 \xE0\x80\xAF", bad1},        // '/' overlong in two and three bytes
      {"1 \xED\xA0\x80", bad1}, {"1 \xF4\x90\x80\x80", bad1},  // a surrogate; above U+10FFFF
      {"1 a\xE2\x82", bad1}, {"1 a\n1 b\xBF", bad2},         // cut short; a stray continuation
      {"# Gr\xFC\xDF" "e\n1 a", "2:1 a"},                   // a comment is never a name
      {"1 a\r2 b\r\n3 c\n\r4 d\r\r", "1:1 a|2:2 b|3:3 c|5:4 d"},
      // A tab is a blank; the name is the rest of the line less its trailing blanks.
      {" \t\n  # note\n1\tvoice\n1 #take  two \t\r\n", "3:1 voice|4:1 #take  two"},
      {"voice\n3\n2 a" + std::string(1, '\0') + "b", "1: no length: a line is SECONDS NAME|"
                                                   "2: no file name after the length|"
                                                   "3: the name holds a zero byte"},
      {"1 ok/fine\n1 sub/", "1:1 ok\\fine|2: the name ends in a separator, so it names a "
                            "folder, not a file"},
  };
  for (const auto& row : rows) EXPECT_EQ(Read(row.bytes), row.read) << row.bytes;
  // The folder written into counts.
  EXPECT_EQ(Read("1 voice", (std::string(250, 'd') + "\\").c_str()),
            "1: the target directory and file name are longer than 259 characters");
}

TEST(ParseBatchList, RefusesEveryLaterSpellingOfAnEarlierLinesFile) {
  std::string expected =
      "1:1 voice|2: makes the same file as line 1: ./voice.mp3|"
      "3: makes the same file as line 1: sub//../voice.mp3|4:2 VOICE|5:3 sub\\voice|"
      "6: makes the same file as line 5: sub//voice.mp3";
  if (K_WINDOWS) {
    for (char& c : expected) c = c == '/' ? '\\' : c;
    expected.replace(expected.find("4:2 VOICE"), 9, "4: makes the same file as line 1: VOICE.mp3");
  }
  EXPECT_EQ(Read("1 voice\n9 ./voice\n1 sub//../voice.wav\n2 VOICE\n3 sub/voice\n4 sub//voice\n"),
            expected);
}

TEST(EscapeControlBytes, WritesEveryControlByteAsAnEscapeAndLeavesTheRest) {
  const struct { std::string text; bool keepLineBreaks; std::string shown; } rows[] = {
      {"a\tb\rc\nd", false, "a\\tb\\rc\\nd"}, {"a\tb\rc\nd", true, "a\\tb\\rc\nd"},
      {std::string("\0\x01\x1b\x1f\x7f", 5), false, "\\x00\\x01\\x1b\\x1f\\x7f"},
      // Letters beyond ASCII are bytes over 0x7F, never control bytes.
      {"c:\\st\xc3\xa9phane \xe2\x80\x94 \xff~", false, "c:\\st\xc3\xa9phane \xe2\x80\x94 \xff~"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(EscapeControlBytes(row.text, row.keepLineBreaks), row.shown) << row.shown;
}

TEST(ReadBoundedList, ReadsUpToTheBoundsAndNamesTheLineBeyond) {
  const std::string longest(LIST_MAX_LINE_BYTES, 'x');
  std::string most;
  for (int i = 0; i < LIST_MAX_LINES; ++i) most += "# c\n";
  const struct { std::string text; ListReading result; int line; } rows[] = {
      {"1 a\n" + longest + "\n" + longest, ListReading::Read, 0},
      {"1 a\n1 b\n" + longest + "y\n", ListReading::LineTooLong, 3},
      {most, ListReading::Read, 0},
      {std::string(LIST_MAX_LINES, '\n') + "1 a", ListReading::TooManyLines, 0},
  };
  for (const auto& row : rows) {
    FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    std::fwrite(row.text.data(), 1, row.text.size(), file);
    std::rewind(file);
    std::string text;
    int line = 0;
    EXPECT_EQ(ReadBoundedList(file, &text, &line), row.result) << row.text.size() << " bytes";
    // No diff of a list this long.
    EXPECT_TRUE(row.result != ListReading::Read || text == row.text);
    EXPECT_EQ(row.result == ListReading::LineTooLong ? line : 0, row.line);
    std::fclose(file);
  }
}

// A list whose reading fails is not taken for the lines read before (a folder opened as a
// file fails its first read; Windows opens no folder, so the case is Linux's).
TEST(ReadBoundedList, TellsAReadThatFailsAsUnreadable) {
  const ScratchDirectory folder;
  FILE* file = std::fopen(folder.path.c_str(), "rb");
  ASSERT_NE(file, nullptr);
  std::string text;
  int line = 0;
  EXPECT_EQ(ReadBoundedList(file, &text, &line), ListReading::Unreadable);
  EXPECT_EQ(errno, EISDIR);
  std::fclose(file);
}

}  // namespace
