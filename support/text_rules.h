// The rules every reader of outside text shares (batch lists, string packages): how its
// encoding is told, which bytes are control characters, and how a text is shown safely.
#pragma once

#include <cstddef>
#include <string>

enum class ByteOrderMark { None, Utf8, Utf16LittleEndian, Utf16BigEndian };

// The mark that bytes start with, and its length in bytes (0 for None).
ByteOrderMark FindByteOrderMark(const std::string& bytes);
size_t GetByteOrderMarkLength(ByteOrderMark mark);

// Well-formed UTF-8: no stray or missing continuation byte, no overlong form, no
// surrogate, nothing above U+10FFFF.
bool IsUtf8(const std::string& text);

// The number of UTF-8 characters in text, or of bytes where it is no UTF-8.
size_t CountUtf8Characters(const std::string& text);

void AppendUtf8(unsigned long codePoint, std::string* text);

// Windows-1252 bytes as UTF-8; the five bytes the code page leaves free stay the
// characters of the same number, as Windows reads them.
std::string FromWindows1252(const std::string& bytes);

// A byte below 0x20, or DEL.
bool IsControlByte(unsigned char byte);

// text with each control byte written as an escape: \t, \n, \r, else \x and two hex
// digits (ESC is \x1b), so that a name or line cannot move the cursor, recolour or
// retitle the terminal, nor break a line it is written in. With keepLineBreaks, \n stays
// a line break.
std::string EscapeControlBytes(const std::string& text, bool keepLineBreaks = false);
