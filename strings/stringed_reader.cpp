// Jedi Academy's StringEd files (.str): keyword lines, each voice line a REFERENCE
// followed by its LANG_ texts, and ENDMARKER to show the file is whole. The game drops
// "//" comments outside quotes and blank lines, takes a keyword only at the very start of
// a line (letters in any case, and a longer word that begins with it), and refuses the
// whole file at a line it does not know.
#include <algorithm>
#include <cstring>
#include <string>

#include "strings/package_reader.h"

namespace {

enum class StringedKeyword {
  Unknown,
  Version,
  Ignored,  // CONFIG, FILENOTES, NOTES
  Reference,
  Flags,
  EndMarker,
  Text,
};

struct StringedWord {
  const char* prefix;
  StringedKeyword keyword;
};

// In the order the game tries them.
const StringedWord STRINGED_WORDS[] = {
    {"VERSION", StringedKeyword::Version},     {"CONFIG", StringedKeyword::Ignored},
    {"FILENOTES", StringedKeyword::Ignored},   {"NOTES", StringedKeyword::Ignored},
    {"REFERENCE", StringedKeyword::Reference}, {"FLAGS", StringedKeyword::Flags},
    {"ENDMARKER", StringedKeyword::EndMarker}, {"LANG_", StringedKeyword::Text},
};

// A foreign text that is the English one.
constexpr const char* STRINGED_SAME = "#same";
constexpr const char* STRINGED_BLANKS = " \t";
constexpr const char* STRINGED_REFUSES = ": the game refuses the file";

struct StringedState {
  RawPackage package;
  RawEntry entry;  // the one being read; referenceLine 0 before the first REFERENCE
  bool versionSeen = false;
  bool endMarkerSeen = false;
  int lastLine = 0;
};

// What C's isspace() takes for a space, whatever the locale.
bool IsSpace(char c) { return c != '\0' && std::strchr(" \t\n\v\f\r", c) != nullptr; }

void DropTrailingSpace(std::string* text) {
  while (!text->empty() && IsSpace(text->back())) text->pop_back();
}

// A "//" after an even number of quotes begins a comment.
void DropComment(std::string* text) {
  size_t quotes = 0;
  for (size_t index = 0; index + 1 < text->size(); ++index) {
    if ((*text)[index] == '"') ++quotes;
    if ((*text)[index] == '/' && (*text)[index + 1] == '/' && quotes % 2 == 0) {
      text->resize(index);
      return;
    }
  }
}

// The line as the game reads it: without the CRs before it, trailing space and comment.
std::string CleanLine(const std::string& text) {
  std::string clean = text.substr(std::min(text.find_first_not_of('\r'), text.size()));
  DropTrailingSpace(&clean);
  DropComment(&clean);
  DropTrailingSpace(&clean);
  return clean;
}

// A value without the blanks and the one quote at either end.
std::string InsideQuotes(const std::string& value) {
  const size_t start = value.find_first_not_of(STRINGED_BLANKS);
  if (start == std::string::npos) return "";
  std::string inside = value.substr(start);
  if (inside[0] == '"') inside.erase(0, 1);
  const size_t end = inside.find_last_not_of(STRINGED_BLANKS);
  inside.resize(end == std::string::npos ? 0 : end + 1);
  if (!inside.empty() && inside.back() == '"') inside.pop_back();
  return inside;
}

// The keyword a line begins with; *rest is what follows it.
StringedKeyword FindKeyword(const std::string& text, std::string* rest) {
  for (const StringedWord& known : STRINGED_WORDS) {
    if (StartsWithNoCase(text, known.prefix)) {
      *rest = text.substr(std::string(known.prefix).size());
      return known.keyword;
    }
  }
  return StringedKeyword::Unknown;
}

std::string DescribeUnknownLine(const std::string& text) {
  if (text.find_first_of(STRINGED_BLANKS) == 0) {
    return "a line that begins with a blank: the game takes a keyword only at the line's start" +
           std::string(STRINGED_REFUSES);
  }
  const std::string word = text.substr(0, text.find_first_of(STRINGED_BLANKS));
  return "\"" + ShowText(word) + "\" is not a keyword of a StringEd file" + STRINGED_REFUSES;
}

void EndEntry(StringedState* state) {
  if (state->entry.referenceLine != 0) state->package.entries.push_back(state->entry);
  state->entry = RawEntry();
}

void ReadText(StringedState* state, int line, const std::string& rest) {
  const size_t wordEnd = rest.find_first_of(STRINGED_BLANKS);
  const std::string language = rest.substr(0, wordEnd);
  if (state->entry.referenceLine == 0) {
    state->package.Refuse(
        line, "LANG_" + ShowText(language) + " without a REFERENCE before it" + STRINGED_REFUSES);
    return;
  }
  const std::string text =
      wordEnd == std::string::npos ? "" : ConvertLineBreaks(InsideQuotes(rest.substr(wordEnd)));
  for (int index = 0; index < STRINGS_LANGUAGE_COUNT; ++index) {
    if (!EqualsNoCase(language, STRINGS_LANGUAGE_NAMES[index])) continue;
    if (index == 0 || !EqualsNoCase(text, STRINGED_SAME)) state->entry.texts[index] = text;
  }
}

void ReadKeywordLine(StringedState* state, int line, StringedKeyword keyword,
                     const std::string& rest) {
  switch (keyword) {
    case StringedKeyword::Version:
      if (ReadLeadingNumber(InsideQuotes(rest)) != 1) {
        state->package.Refuse(
            line, "VERSION " + ShowText(InsideQuotes(rest)) + ": the game reads version 1 only");
      }
      return;
    case StringedKeyword::Reference:
      EndEntry(state);
      state->entry.line = line;
      state->entry.referenceLine = line;
      state->entry.reference = InsideQuotes(rest);
      return;
    case StringedKeyword::Flags:
      if (state->entry.referenceLine == 0) {
        state->package.Refuse(
            line, "FLAGS without a REFERENCE before it" + std::string(STRINGED_REFUSES));
      }
      return;
    case StringedKeyword::EndMarker:
      state->endMarkerSeen = true;
      return;
    case StringedKeyword::Text:
      ReadText(state, line, rest);
      return;
    default:
      return;
  }
}

// False when the package is no StringEd file at all.
bool ReadLine(StringedState* state, const PackageLine& line) {
  const std::string text = CleanLine(line.text);
  if (text.empty()) return true;
  state->lastLine = line.number;
  std::string rest;
  const StringedKeyword keyword = FindKeyword(text, &rest);
  if (!state->versionSeen && keyword != StringedKeyword::Version) {
    state->package.Refuse(line.number, "not a string package: it does not begin with VERSION");
    return false;
  }
  state->versionSeen = true;
  if (keyword == StringedKeyword::Unknown) {
    state->package.Refuse(line.number, DescribeUnknownLine(text));
    return true;
  }
  ReadKeywordLine(state, line.number, keyword, rest);
  return true;
}

}  // namespace

RawPackage ReadStringEdPackage(const std::vector<PackageLine>& lines) {
  StringedState state;
  for (const PackageLine& line : lines) {
    if (!ReadLine(&state, line)) return state.package;
  }
  EndEntry(&state);
  if (!state.versionSeen) {
    state.package.Refuse(1, "not a string package: it does not begin with VERSION");
  } else if (!state.endMarkerSeen) {
    state.package.Refuse(state.lastLine,
                         "no ENDMARKER: the file is cut short" + std::string(STRINGED_REFUSES));
  }
  return state.package;
}
