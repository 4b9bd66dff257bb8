// The characters a player reads and the seconds a line needs.
#include "strings/reading_time.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

namespace {

TEST(CountReadCharacters, CountsWhatThePlayerReads) {
  const std::pair<const char*, long long> cases[] = {
      {"  Hello  there.  ", 12},  // ends dropped, a run of spaces is one
      {"one \n two\tthree", 13},  // a line break or tab is a space
      {"^1Kyle^7, ^2 go!", 9},    // colour codes are not read, nor split a run of spaces
      {"^1 ^2", 0},
      {"x^^1 ^a^", 6},        // a caret without a digit is read
      {"Grüße “da” €", 12},  // UTF-8 characters, not bytes
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(CountReadCharacters(text), expected) << text;
}

TEST(ComputeReadingSeconds, RoundsUpAndKeepsWithinTheBounds) {
  // Characters, characters a second, the least seconds, and the seconds they make.
  const std::tuple<long long, int, int, int> cases[] = {
      {0, 15, 3, 3},  {30, 15, 2, 2},       {31, 15, 2, 3},
      {10, 1, 9, 10}, {28801, 1, 1, 28800}, {1000000000000LL, 1, 1, 28800},
  };
  for (const auto& [characters, cps, minSeconds, expected] : cases) {
    EXPECT_EQ(ComputeReadingSeconds(characters, cps, minSeconds), expected)
        << characters << " / " << cps << ", at least " << minSeconds;
  }
}

}  // namespace
