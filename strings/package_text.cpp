// Text helpers that the StripEd and StringEd readers share.
#include <cstring>
#include <utility>

#include "strings/package_reader.h"
#include "support/text_rules.h"

namespace {

constexpr long long STRINGS_NUMBER_CAP = 1000000000000LL;  // more digits change nothing here

// The editors' curly characters and what the games draw in their place.
struct PlainCharacter {
  char from;
  char to;
};
const PlainCharacter STRINGS_PLAIN_CHARACTERS[] = {
    {'\x92', '\''}, {'\x93', '"'}, {'\x94', '"'}, {'\x0B', '.'},
    {'\x91', '\''}, {'\x96', '-'}, {'\x97', '-'}, {'\t', ' '},
};
constexpr char STRINGS_ELLIPSIS = '\x85';

char ToUpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

const char* const STRINGS_LANGUAGE_NAMES[STRINGS_LANGUAGE_COUNT] = {
    "english",   "french",  "german",  "british",  "korean",
    "taiwanese", "italian", "spanish", "japanese",
};

void GameReading::Refuse(int line, std::string text) {
  reports.push_back({line, std::move(text), ReportKind::RefusesPackage});
}

void GameReading::Warn(int line, std::string text) {
  reports.push_back({line, std::move(text), ReportKind::Warning});
}

std::vector<PackageLine> SplitPackageLines(const std::string& bytes) {
  std::vector<PackageLine> lines;
  size_t start = 0;
  for (int number = 1; start < bytes.size(); ++number) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    lines.push_back({number, bytes.substr(start, end - start), end < bytes.size()});
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

std::string CleanGameText(std::string text, bool threeDotEllipsis) {
  for (char& c : text) {
    for (const PlainCharacter& plain : STRINGS_PLAIN_CHARACTERS) {
      if (c == plain.from) c = plain.to;
    }
  }
  for (size_t at = text.find(STRINGS_ELLIPSIS); at != std::string::npos;
       at = text.find(STRINGS_ELLIPSIS, at)) {
    text.replace(at, 1, threeDotEllipsis ? "..." : ".");
  }
  for (size_t at = text.find("?."); at != std::string::npos; at = text.find("?.", at)) {
    text[at + 1] = ' ';
  }
  return text;
}

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string UpperAscii(std::string text) {
  for (char& c : text) c = ToUpperAscii(c);
  return text;
}

std::vector<std::string> SplitPathNames(const std::string& path) {
  std::vector<std::string> names;
  size_t start = 0;
  while (true) {
    const size_t end = path.find_first_of("/\\", start);
    names.push_back(path.substr(start, end == std::string::npos ? end : end - start));
    if (end == std::string::npos) return names;
    start = end + 1;
  }
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
  size_t index = text.find_first_not_of(" \t\n\v\f\r");
  if (index == std::string::npos) return 0;
  const bool negative = text[index] == '-';
  if (text[index] == '-' || text[index] == '+') ++index;
  long long value = 0;
  for (; index < text.size() && IsDigit(text[index]); ++index) {
    if (value < STRINGS_NUMBER_CAP) value = value * 10 + (text[index] - '0');
  }
  return negative ? -value : value;
}

std::string ShowPackageText(const std::string& bytes, bool utf8) {
  return EscapeControlBytes(utf8 ? bytes : FromWindows1252(bytes));
}
