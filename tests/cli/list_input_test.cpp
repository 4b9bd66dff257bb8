// The bounds on a list that is read and the escapes of what is printed back.
#include "cli/list_input.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

TEST(EscapeControlBytes, WritesEveryControlByteAsAnEscapeAndLeavesTheRest) {
  const struct { std::string text; bool keepLineBreaks; std::string shown; } rows[] = {
      {"a\tb\rc\nd", false, "a\\tb\\rc\\nd"},
      {"a\tb\rc\nd", true, "a\\tb\\rc\nd"},
      {std::string("\0\x01\x1b\x1f\x7f", 5), false, "\\x00\\x01\\x1b\\x1f\\x7f"},
      // Letters beyond ASCII are bytes over 0x7F, never control bytes.
      {"c:\\st\xc3\xa9phane \xe2\x80\x94 \xff~", false, "c:\\st\xc3\xa9phane \xe2\x80\x94 \xff~"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(EscapeControlBytes(row.text, row.keepLineBreaks), row.shown) << row.shown;
  }
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
    if (row.result == ListReading::Read) {
      EXPECT_TRUE(text == row.text);  // no diff of a list this long
    } else if (row.result == ListReading::LineTooLong) {
      EXPECT_EQ(line, row.line);
    }
    std::fclose(file);
  }
}

}  // namespace
