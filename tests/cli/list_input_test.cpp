// The bounds on a list that is read and the escapes of what is printed back.
#include "cli/list_input.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

TEST(EscapeControlBytes, WritesEveryControlByteAsAnEscapeAndLeavesTheRest) {
  const struct { std::string text; bool keepLineBreaks; std::string shown; } rows[] = {
      {"voice 01", false, "voice 01"},
      {"a\tb\rc\nd", false, "a\\tb\\rc\\nd"},
      {"a\tb\rc\nd", true, "a\\tb\\rc\nd"},
      {"\x1b]0;title\x07", false, "\\x1b]0;title\\x07"},
      {std::string("\0\x01\x1f\x7f", 4), false, "\\x00\\x01\\x1f\\x7f"},
      // Letters beyond ASCII are bytes over 0x7F, never control bytes.
      {"st\xc3\xa9phane \xe2\x80\x94 \xff", false, "st\xc3\xa9phane \xe2\x80\x94 \xff"},
      {"c:\\voice", false, "c:\\voice"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(EscapeControlBytes(row.text, row.keepLineBreaks), row.shown) << row.shown;
  }
}

std::string Repeated(const std::string& line, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += line;
  return text;
}

TEST(ReadBoundedList, ReadsUpToTheBoundsAndNamesTheLineBeyond) {
  const std::string longest(LIST_MAX_LINE_BYTES, 'x');
  const struct { const char* what; std::string text; ListReading result; int line; } rows[] = {
      {"empty", "", ListReading::Read, 0},
      {"no last line break", "1 a\n2 b", ListReading::Read, 0},
      {"the longest lines", "1 a\n" + longest + "\n" + longest, ListReading::Read, 0},
      {"one byte more", "1 a\n1 b\n" + longest + "y\n", ListReading::LineTooLong, 3},
      {"one byte more on the last line", "1 a\n" + longest + "y", ListReading::LineTooLong, 2},
      {"the most lines", Repeated("# c\n", LIST_MAX_LINES), ListReading::Read, 0},
      {"one line more", Repeated("\n", LIST_MAX_LINES) + "1 a", ListReading::TooManyLines, 0},
  };
  for (const auto& row : rows) {
    FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    std::fwrite(row.text.data(), 1, row.text.size(), file);
    std::rewind(file);
    std::string text;
    int line = 0;
    EXPECT_EQ(ReadBoundedList(file, &text, &line), row.result) << row.what;
    if (row.result == ListReading::Read) {
      EXPECT_EQ(text, row.text) << row.what;
    } else if (row.result == ListReading::LineTooLong) {
      EXPECT_EQ(line, row.line) << row.what;
    }
    std::fclose(file);
  }
}

}  // namespace
