// Texts typed into the window's length field: a whole number is read as exactly that
// number and held to the lengths the writer makes; anything else is refused. Any double
// at all is held to that range too.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/fuzz_check.h"
#include "generator/generate_command.h"
#include "generator/hushmaker.h"

namespace {

bool IsWholeNumber(const std::string& text) {
  const size_t digits = text[0] == '-' || text[0] == '+' ? 1 : 0;
  return text.size() > digits &&
         text.find_first_not_of("0123456789", digits) == std::string::npos;
}

// The held length that the text stands for, read without any arithmetic on doubles.
int ExpectedHeld(const std::string& text) {
  const size_t first = text.find_first_not_of("+-0");
  if (text[0] == '-' || first == std::string::npos) return 0;
  const std::string digits = text.substr(first);
  if (digits.size() > std::to_string(SILENCE_MAX_SECONDS).size()) return SILENCE_MAX_SECONDS;
  const int value = std::stoi(digits);
  return value > SILENCE_MAX_SECONDS ? SILENCE_MAX_SECONDS : value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string text = bytes.c_str();
  double number = -1.5;
  const bool read = ReadTypedLength(text.c_str(), &number);
  FUZZ_CHECK(read == IsWholeNumber(text));
  if (read) {
    FUZZ_CHECK(HoldSilenceSeconds(number) == ExpectedHeld(text));
  } else {
    FUZZ_CHECK(number == -1.5);
  }

  double any = 0;
  if (size >= sizeof(any)) {
    std::memcpy(&any, data, sizeof(any));
    const int held = HoldSilenceSeconds(any);
    FUZZ_CHECK(held >= 0 && held <= SILENCE_MAX_SECONDS);
  }
  return 0;
}
