// Formatting into a fixed buffer, cut at a whole UTF-8 character when it does not fit.
#include "support/format_cut.h"

#include <cstdio>

namespace {

constexpr size_t UTF8_LONGEST_SEQUENCE = 4;

bool IsContinuationByte(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length of the UTF-8 sequence that a lead byte starts (1 for anything else).
size_t SequenceLength(unsigned char lead) {
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 1;
}

// Ends text, cut by a byte count at length, at the start of a character it cut in half.
void CutAtCharacterBoundary(char* text, size_t length) {
  size_t start = length;
  while (start > 0 && length - start < UTF8_LONGEST_SEQUENCE &&
         IsContinuationByte(static_cast<unsigned char>(text[start - 1]))) {
    --start;
  }
  if (start == 0) return;
  const size_t lead = start - 1;
  if (lead + SequenceLength(static_cast<unsigned char>(text[lead])) > length) text[lead] = '\0';
}

}  // namespace

void VFormatCut(char* buffer, size_t size, const char* format, va_list arguments) {
  if (size == 0) return;
  const int wanted = vsnprintf(buffer, size, format, arguments);
  if (wanted >= 0 && static_cast<size_t>(wanted) >= size) CutAtCharacterBoundary(buffer, size - 1);
}

void FormatCut(char* buffer, size_t size, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  VFormatCut(buffer, size, format, arguments);
  va_end(arguments);
}
