// Lengths from anywhere: the reader accepts only lengths the writer can make, says why
// it refuses the rest, and reads each length it accepts in all three forms alike.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "cli/batch_list.h"
#include "fuzz/fuzz_check.h"
#include "generator/hushmaker.h"

namespace {

constexpr size_t LENGTH_TEXT_SIZE = 32;

int ParsedOrZero(const std::string& text) {
  int seconds = 0;
  std::string problem;
  return ParseLength(text, &seconds, &problem) ? seconds : 0;
}

std::string Format(const char* format, int a, int b = 0, int c = 0) {
  char text[LENGTH_TEXT_SIZE];
  std::snprintf(text, sizeof(text), format, a, b, c);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  int seconds = -1;
  std::string problem;
  const bool accepted = ParseLength(text, &seconds, &problem);
  FUZZ_CHECK(accepted == problem.empty());
  if (!accepted) return 0;

  FUZZ_CHECK(seconds >= 1 && seconds <= SILENCE_MAX_SECONDS);
  // Whole seconds, or fields after a colon of two digits each, below 60.
  int colons = 0;
  size_t fieldStart = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == ':') {
      FUZZ_CHECK(i > fieldStart);
      if (fieldStart > 0) FUZZ_CHECK(i - fieldStart == 2 && text[fieldStart] < '6');
      fieldStart = i + 1;
      colons += i < text.size();
    } else {
      FUZZ_CHECK(text[i] >= '0' && text[i] <= '9');
    }
  }
  FUZZ_CHECK(colons <= 2);
  FUZZ_CHECK(ParsedOrZero(Format("%d", seconds)) == seconds);
  FUZZ_CHECK(ParsedOrZero(Format("%d:%02d", seconds / 60, seconds % 60)) == seconds);
  FUZZ_CHECK(ParsedOrZero(Format("%d:%02d:%02d", seconds / 3600, seconds / 60 % 60,
                                 seconds % 60)) == seconds);
  return 0;
}
