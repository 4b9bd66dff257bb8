// Encodings and control characters of outside text.
#include "support/text_rules.h"

#include <cstring>

namespace {

constexpr char TEXT_UTF8_MARK[] = "\xEF\xBB\xBF";
constexpr char TEXT_UTF16LE_MARK[] = "\xFF\xFE";
constexpr char TEXT_UTF16BE_MARK[] = "\xFE\xFF";
constexpr char TEXT_HEX_DIGITS[] = "0123456789abcdef";

// Windows-1252's characters for the bytes 0x80 to 0x9F.
const unsigned short TEXT_WINDOWS_1252_HIGH[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool StartsWith(const std::string& text, const char* head) {
  return text.compare(0, std::strlen(head), head) == 0;
}

// The length of the well-formed UTF-8 character at text[index], or 0 when there is none.
size_t MeasureUtf8Character(const std::string& text, size_t index) {
  const unsigned char lead = static_cast<unsigned char>(text[index]);
  size_t more = 0;
  unsigned char low = 0x80, high = 0xBF;  // the second byte's range
  if (lead < 0x80) {
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    more = 1;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    more = 2;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    more = 3;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() - index <= more) return 0;
  for (size_t k = 1; k <= more; ++k) {
    const unsigned char byte = static_cast<unsigned char>(text[index + k]);
    if (byte < (k == 1 ? low : 0x80) || byte > (k == 1 ? high : 0xBF)) return 0;
  }
  return more + 1;
}

}  // namespace

ByteOrderMark FindByteOrderMark(const std::string& bytes) {
  if (StartsWith(bytes, TEXT_UTF8_MARK)) return ByteOrderMark::Utf8;
  if (StartsWith(bytes, TEXT_UTF16LE_MARK)) return ByteOrderMark::Utf16LittleEndian;
  if (StartsWith(bytes, TEXT_UTF16BE_MARK)) return ByteOrderMark::Utf16BigEndian;
  return ByteOrderMark::None;
}

size_t GetByteOrderMarkLength(ByteOrderMark mark) {
  switch (mark) {
    case ByteOrderMark::Utf8:
      return std::strlen(TEXT_UTF8_MARK);
    case ByteOrderMark::Utf16LittleEndian:
    case ByteOrderMark::Utf16BigEndian:
      return std::strlen(TEXT_UTF16LE_MARK);
    case ByteOrderMark::None:
      break;
  }
  return 0;
}

bool IsUtf8(const std::string& text) {
  for (size_t index = 0; index < text.size();) {
    const size_t length = MeasureUtf8Character(text, index);
    if (length == 0) return false;
    index += length;
  }
  return true;
}

size_t CountUtf8Characters(const std::string& text) {
  if (!IsUtf8(text)) return text.size();
  size_t count = 0;
  for (size_t index = 0; index < text.size(); index += MeasureUtf8Character(text, index)) ++count;
  return count;
}

void AppendUtf8(unsigned long codePoint, std::string* text) {
  if (codePoint < 0x80) {
    *text += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    *text += static_cast<char>(0xC0 | (codePoint >> 6));
    *text += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    *text += static_cast<char>(0xE0 | (codePoint >> 12));
    *text += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    *text += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    *text += static_cast<char>(0xF0 | (codePoint >> 18));
    *text += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    *text += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    *text += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

std::string FromWindows1252(const std::string& bytes) {
  std::string text;
  for (char c : bytes) {
    const unsigned char byte = static_cast<unsigned char>(c);
    const bool high = byte >= 0x80 && byte < 0xA0;
    AppendUtf8(high ? TEXT_WINDOWS_1252_HIGH[byte - 0x80] : byte, &text);
  }
  return text;
}

bool IsControlByte(unsigned char byte) { return byte < 0x20 || byte == 0x7F; }

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
      shown += TEXT_HEX_DIGITS[byte >> 4];
      shown += TEXT_HEX_DIGITS[byte & 0xF];
    }
  }
  return shown;
}
