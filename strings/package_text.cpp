// Text helpers that the StripEd and StringEd readers share.
#include <cstdio>
#include <utility>

#include "strings/package_reader.h"

namespace {

constexpr long long STRINGS_NUMBER_CAP = 1000000000000LL;  // more digits change nothing here
constexpr size_t STRINGS_SHOWN_BYTE_SIZE = 5;              // "\xNN" and its zero

char ToUpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

const char* const STRINGS_LANGUAGE_NAMES[STRINGS_LANGUAGE_COUNT] = {
    "english",   "french",  "german",  "british",  "korean",
    "taiwanese", "italian", "spanish", "japanese",
};

void RawPackage::Refuse(int line, std::string text) {
  reports.push_back({line, std::move(text), true});
}

std::vector<PackageLine> SplitPackageLines(const std::string& text) {
  std::vector<PackageLine> lines;
  size_t start = 0;
  for (int number = 1; start < text.size(); ++number) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back({number, text.substr(start, end - start)});
    start = end + 1;
  }
  return lines;
}

std::string ConvertLineBreaks(const std::string& text) {
  std::string converted;
  for (size_t index = 0; index < text.size(); ++index) {
    if (text[index] == '\\' && index + 1 < text.size() && text[index + 1] == 'n') {
      converted += '\n';
      ++index;
    } else {
      converted += text[index];
    }
  }
  return converted;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t index = 0; index < prefix.size(); ++index) {
    if (ToUpperAscii(text[index]) != ToUpperAscii(prefix[index])) return false;
  }
  return true;
}

bool EqualsNoCase(const std::string& text, const std::string& word) {
  return text.size() == word.size() && StartsWithNoCase(text, word);
}

long long ReadLeadingNumber(const std::string& text) {
  size_t index = text.find_first_not_of(" \t");
  if (index == std::string::npos) return 0;
  const bool negative = text[index] == '-';
  if (text[index] == '-' || text[index] == '+') ++index;
  long long value = 0;
  for (; index < text.size() && IsDigit(text[index]); ++index) {
    if (value < STRINGS_NUMBER_CAP) value = value * 10 + (text[index] - '0');
  }
  return negative ? -value : value;
}

std::string ShowText(const std::string& text) {
  std::string shown;
  for (char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      char escaped[STRINGS_SHOWN_BYTE_SIZE];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      shown += escaped;
    } else {
      shown += c;
    }
  }
  return shown;
}
