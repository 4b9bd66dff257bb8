// Lengths and single list lines as the command line reads them; whole lists are read end
// to end in cli_e2e.sh.
#include "cli/batch_list.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(expected ? seconds : 0, expected) << text;
    EXPECT_EQ(problem.empty(), expected != 0) << text;
  }
}

// The writer refuses such a name only when its turn comes, after the list's earlier files
// are written; the list must be refused before any. A tab before the name is a blank.
TEST(ParseBatchList, RefusesANameWithAControlCharacterAndNothingElse) {
  const std::pair<const char*, bool> cases[] = {  // line, accepted
      {"1 a\tb", false}, {"1 a\x1B", false}, {"1 a\x01", false}, {"1 a\x7F", false},
      {"1\tvoice", true}, {"1 take  two\r", true}, {"1 gr\xC3\xBC\xC3\x9F" "e", true},
  };
  for (const auto& [line, accepted] : cases) {
    const BatchList list = ParseBatchList(line);
    EXPECT_EQ(list.entries.size(), accepted ? 1u : 0u) << line;
    ASSERT_EQ(list.problems.size(), accepted ? 0u : 1u) << line;
    if (!accepted) {
      EXPECT_EQ(list.problems[0].text,
                "the file name holds a control character (a line break or a tab, for instance); "
                "type the name without it");
    }
  }
}

}  // namespace
