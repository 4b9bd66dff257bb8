// Lengths as the command line reads them; whole lists are read in list_names_test.cpp.
#include "cli/batch_list.h"

#include <gtest/gtest.h>

namespace {

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

}  // namespace
