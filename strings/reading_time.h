// How long a player takes to read a line of text, which is how long its voice file must
// play: the game shows a caption only while its voice file plays.
#pragma once

#include <string>

constexpr int READING_DEFAULT_CPS = 15;  // characters per second
constexpr int READING_MIN_CPS = 1;
constexpr int READING_MAX_CPS = 100;
constexpr int READING_DEFAULT_MIN_SECONDS = 2;
constexpr int READING_MIN_MIN_SECONDS = 1;  // the longest is SILENCE_MAX_SECONDS

// The characters a player reads in a UTF-8 text: colour codes ('^' and a digit) are not
// counted, a line break or tab counts as a space, each run of spaces as one and spaces at
// either end not at all; every other character counts once.
long long CountReadCharacters(const std::string& text);

// The text a player reads, as CountReadCharacters counts it: colour codes left out, a line
// break or tab as a space, each run of spaces as one, none at either end.
std::string ShowReadText(const std::string& text);

// max(minSeconds, ceil(characters / cps)), held to SILENCE_MAX_SECONDS; cps and
// minSeconds within the ranges above.
int ComputeReadingSeconds(long long characters, int cps, int minSeconds);
