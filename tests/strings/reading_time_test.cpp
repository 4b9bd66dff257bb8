// The characters a player reads and the seconds a line needs.
#include "strings/reading_time.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

TEST(CountReadCharacters, CountsWhatThePlayerReads) {
  const std::pair<const char*, long long> cases[] = {
      {"", 0},
      {"Hello.", 6},
      {"  Hello  there.  ", 12},  // ends dropped, a run of spaces is one
      {"one\ntwo", 7},            // a line break is a space
      {"one \n two", 7},
      {"a\tb", 3},
      {"^1Kyle^7, go!", 9},  // colour codes are not read
      {"a ^1 b", 3},
      {"^1 ^2", 0},
      {"^^1", 1},
      {"^a 5^", 5},  // a caret without a digit is read
      {"x^", 2},
      {"Grüße “da” €", 12},  // UTF-8 characters, not bytes
      {" \n\t ", 0},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(CountReadCharacters(text), expected) << text;
}

TEST(ComputeReadingSeconds, RoundsUpAndKeepsWithinTheBounds) {
  const struct {
    long long characters;
    int cps;
    int minSeconds;
    int expected;
  } cases[] = {
      {0, 15, 2, 2},
      {30, 15, 2, 2},
      {31, 15, 2, 3},
      {45, 15, 1, 3},
      {46, 15, 1, 4},
      {1, 1, 1, 1},
      {100, 100, 1, 1},
      {101, 100, 1, 2},
      {28800, 1, 1, 28800},
      {28801, 1, 1, 28800},
      {1000000000000LL, 1, 1, 28800},
      {10, 15, 28800, 28800},
      {10, 1, 9, 10},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ComputeReadingSeconds(c.characters, c.cps, c.minSeconds), c.expected)
        << c.characters << " / " << c.cps << ", at least " << c.minSeconds;
  }
}

}  // namespace
