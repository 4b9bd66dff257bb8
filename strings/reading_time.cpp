// Reading time: the characters a player reads and the seconds they take.
#include "strings/reading_time.h"

#include <algorithm>

#include "generator/hushmaker.h"

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

long long CountReadCharacters(const std::string& text) {
  long long count = 0;
  bool spaceBefore = false;  // a space is counted only when a character follows it
  for (size_t index = 0; index < text.size(); ++index) {
    const char c = text[index];
    if (c == '^' && index + 1 < text.size() && IsDigit(text[index + 1])) {
      ++index;
    } else if (IsSpace(c)) {
      spaceBefore = count > 0;
    } else if (!IsContinuation(c)) {
      count += spaceBefore ? 2 : 1;
      spaceBefore = false;
    }
  }
  return count;
}

std::string ShowReadText(const std::string& text) {
  std::string shown;
  bool spaceBefore = false;
  for (size_t index = 0; index < text.size(); ++index) {
    const char c = text[index];
    if (c == '^' && index + 1 < text.size() && IsDigit(text[index + 1])) {
      ++index;
    } else if (IsSpace(c)) {
      spaceBefore = !shown.empty();
    } else {
      if (spaceBefore && !IsContinuation(c)) shown += ' ';
      spaceBefore = false;
      shown += c;
    }
  }
  return shown;
}

int ComputeReadingSeconds(long long characters, int cps, int minSeconds) {
  const long long seconds = (characters + cps - 1) / cps;
  return static_cast<int>(
      std::min<long long>(std::max<long long>(seconds, minSeconds), SILENCE_MAX_SECONDS));
}
