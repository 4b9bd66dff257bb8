// What the command line takes from outside: a list or package read within bounds. Texts
// are shown on a terminal with EscapeControlBytes (support/text_rules.h).
#pragma once

#include <cstdio>
#include <string>

#include "support/text_rules.h"

// The longest line of a list, in bytes without its line break, and the most lines.
constexpr size_t LIST_MAX_LINE_BYTES = 4096;
// A string package's lines may be as long as the game's own line buffer takes.
constexpr size_t LIST_MAX_PACKAGE_LINE_BYTES = 16383;
constexpr int LIST_MAX_LINES = 100000;

enum class ListReading { Read, Unreadable, LineTooLong, TooManyLines };

// Reads file to its end into *text, a line at a time, so that no input (a device that
// never ends, a binary file) holds more than the bounds allow: lines of maxLineBytes and
// LIST_MAX_LINES. On LineTooLong *line is the line that is too long; on Unreadable errno
// holds the reason, and *text is not to be used.
ListReading ReadBoundedList(FILE* file, std::string* text, int* line,
                            size_t maxLineBytes = LIST_MAX_LINE_BYTES);
