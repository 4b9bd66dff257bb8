// Lengths and batch lists as the command line reads them.
#include <gtest/gtest.h>

#include <string>

#include "cli/batch_list.h"

namespace {

TEST(ParseLength, TakesTheThreeFormsWithinTheRangeAndNothingElse) {
  const std::pair<const char*, int> cases[] = {  // 0: refused
      {"90", 90},       {"1:30", 90},      {"0:05", 5},         {"1:00:00", 3600},
      {"8:00:00", 28800}, {"480:00", 28800}, {"0007", 7},       {"28801", 0},
      {"8:00:01", 0},   {"99999999999999999999", 0},            {"0", 0},
      {"0:00:00", 0},   {"1:5", 0},        {"1:60", 0},         {"1:00:60", 0},
      {"1:00:00:00", 0}, {":30", 0},       {"1:", 0},           {"-5", 0},
      {"+5", 0},        {"1.5", 0},        {"", 0},             {"3x", 0},
  };
  for (const auto& [text, expected] : cases) {
    int seconds = -1;
    std::string problem;
    EXPECT_EQ(ParseLength(text, &seconds, &problem), expected != 0) << text;
    if (expected != 0) {
      EXPECT_EQ(seconds, expected) << text;
    }
    EXPECT_EQ(problem.empty(), expected != 0) << text;
  }
}

TEST(ParseBatchList, SkipsBlankAndCommentLinesAndKeepsTheNamesWhole) {
  const BatchList list = ParseBatchList(
      "# header\n\n  \t\n   # indented\n2 guard greeting\r\n1:30\tsub/long  speech \n"
      "0:00:03 #hash.wav\n4 last");
  ASSERT_TRUE(list.problems.empty()) << list.problems[0].text;
  const std::tuple<int, int, std::string> expected[] = {
      {5, 2, "guard greeting"}, {6, 90, "sub\\long  speech"}, {7, 3, "#hash.wav"}, {8, 4, "last"}};
  ASSERT_EQ(list.entries.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    const auto& [line, seconds, name] = expected[i];
    EXPECT_EQ(list.entries[i].line, line);
    EXPECT_EQ(list.entries[i].seconds, seconds);
    EXPECT_EQ(list.entries[i].name, name);
  }
}

TEST(ParseBatchList, ReportsEveryBadLineWithItsNumber) {
  const std::string text = std::string(
      "voice\n"        // 1: no length
      "3\n"            // 2: no name
      "0 zero\n"       // 3
      "1:75 bad\n"     // 4
      "3 ok.wav\n"     // 5: fine
      "2 ok\n"         // 6: the same file as line 5
      "2 OK.MP3\n"     // 7: another file
      "2 a\\b\n"       // 8: backslash
      "2 nul") + '\0' + "x\n";  // 9: a zero byte
  const BatchList list = ParseBatchList(text);
  std::vector<int> lines;
  for (const BatchProblem& problem : list.problems) lines.push_back(problem.line);
  EXPECT_EQ(lines, (std::vector<int>{1, 2, 3, 4, 6, 8, 9}));
  EXPECT_EQ(list.problems[4].text, "makes the same file as line 5: ok.mp3");
  ASSERT_EQ(list.entries.size(), 2u);
  EXPECT_EQ(list.entries[1].name, "OK.MP3");
}

}  // namespace
