// What the command line takes from outside and prints back: a batch list read within
// bounds, and texts made safe to show on a terminal.
#pragma once

#include <cstdio>
#include <string>

// The longest line of a list, in bytes without its line break, and the most lines.
constexpr size_t LIST_MAX_LINE_BYTES = 4096;
constexpr int LIST_MAX_LINES = 100000;

enum class ListReading { Read, Unreadable, LineTooLong, TooManyLines };

// Reads file to its end into *text, a line at a time, so that no input (a device that
// never ends, a binary file) holds more than the bounds allow. On LineTooLong *line is the
// line that is too long; on Unreadable errno holds the reason.
ListReading ReadBoundedList(FILE* file, std::string* text, int* line);

// text with each control byte written as an escape: \t, \n, \r, else \x and two hex
// digits (ESC is \x1b), so that a name or list line cannot move the cursor, recolour or
// retitle the terminal. With keepLineBreaks, \n stays a line break.
std::string EscapeControlBytes(const std::string& text, bool keepLineBreaks = false);
