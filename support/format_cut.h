// Formatting into a fixed buffer, cut at a whole UTF-8 character when it does not fit.
#pragma once

#include <cstdarg>
#include <cstddef>

// Formats like snprintf into buffer (always terminated unless size is 0). A text that
// does not fit ends before the first character that does not fit whole: a character cut
// in half would be drawn as garbage.
void FormatCut(char* buffer, size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
void VFormatCut(char* buffer, size_t size, const char* format, va_list arguments)
    __attribute__((format(printf, 3, 0)));
