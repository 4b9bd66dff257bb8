// What the command line takes from outside and prints back.
#include "cli/list_input.h"

#include <cerrno>

namespace {

constexpr char LIST_HEX_DIGITS[] = "0123456789abcdef";

bool IsControlByte(unsigned char byte) { return byte < 0x20 || byte == 0x7F; }

}  // namespace

ListReading ReadBoundedList(FILE* file, std::string* text, int* line) {
  *line = 1;
  size_t lineBytes = 0;
  int c;
  while ((c = std::getc(file)) != EOF) {
    if (*line > LIST_MAX_LINES) return ListReading::TooManyLines;
    if (c == '\n') {
      ++*line;
      lineBytes = 0;
    } else if (++lineBytes > LIST_MAX_LINE_BYTES) {
      return ListReading::LineTooLong;
    }
    text->push_back(static_cast<char>(c));
  }
  return std::ferror(file) ? ListReading::Unreadable : ListReading::Read;
}

std::string EscapeControlBytes(const std::string& text, bool keepLineBreaks) {
  std::string shown;
  shown.reserve(text.size());
  for (const char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (!IsControlByte(byte) || (keepLineBreaks && c == '\n')) {
      shown += c;
    } else if (c == '\t') {
      shown += "\\t";
    } else if (c == '\n') {
      shown += "\\n";
    } else if (c == '\r') {
      shown += "\\r";
    } else {
      shown += "\\x";
      shown += LIST_HEX_DIGITS[byte >> 4];
      shown += LIST_HEX_DIGITS[byte & 0xF];
    }
  }
  return shown;
}
