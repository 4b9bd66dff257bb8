// What the command line takes from outside and prints back.
#include "cli/list_input.h"

#include <cerrno>

ListReading ReadBoundedList(FILE* file, std::string* text, int* line, size_t maxLineBytes) {
  *line = 1;
  size_t lineBytes = 0;
  int c;
  while ((c = std::getc(file)) != EOF) {
    if (*line > LIST_MAX_LINES) return ListReading::TooManyLines;
    if (c == '\n') {
      ++*line;
      lineBytes = 0;
    } else if (++lineBytes > maxLineBytes) {
      return ListReading::LineTooLong;
    }
    text->push_back(static_cast<char>(c));
  }
  return std::ferror(file) ? ListReading::Unreadable : ListReading::Read;
}
