// Jedi Academy's StringEd files (.str), read as the game reads them: keyword lines, each
// voice line a REFERENCE followed by its LANG_ texts, and ENDMARKER to show the file is
// whole. The game drops "//" comments outside quotes and blank lines, takes a keyword
// only at the very start of a line (letters in any case, and a longer word that begins
// with it), and refuses the whole file at the first line it cannot take, and then quits.
#include <algorithm>
#include <cstring>
#include <map>
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

// The languages whose texts the game cleans of the editors' curly characters.
const char* const STRINGED_CLEANED_LANGUAGES[] = {
    "ENGLISH", "FRENCH", "GERMAN", "ITALIAN", "SPANISH", "POLISH", "RUSSIAN",
};
// A foreign text that is the English one.
constexpr const char* STRINGED_SAME = "#same";
constexpr const char* STRINGED_BLANKS = " \t";
constexpr int STRINGED_VERSION = 1;
// The game copies each line into a buffer of this many bytes, its zero included.
constexpr size_t STRINGED_LINE_BUFFER = 16384;
constexpr const char* STRINGED_REFUSES = ": Jedi Academy refuses the file and quits at start-up";

struct StringedEntry {
  std::string text;
  int lastLine = 0;  // the last REFERENCE line that names it
};

struct StringedReader {
  StringedReader(PackageLanguage language, bool utf8)
      : language(language), utf8(utf8), loadingEnglish(language == PackageLanguage::English) {}

  PackageLanguage language;
  bool utf8;
  bool loadingEnglish;
  GameReading reading;
  std::map<std::string, StringedEntry> entries;  // by reference, as the game keys them
  std::vector<int> referenceLines;
  std::vector<std::string> referenceNames;
  std::string current;         // the reference being read; empty before the first
  std::string currentEnglish;  // the last English text read, for a foreign "#same"
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
      DropTrailingSpace(text);
      return;
    }
  }
}

// The line as the game reads it: without the CRs before it, trailing space and comment.
std::string CleanLine(const std::string& text) {
  std::string clean = text.substr(std::min(text.find_first_not_of('\r'), text.size()));
  DropTrailingSpace(&clean);
  DropComment(&clean);
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
      *rest = text.substr(std::strlen(known.prefix));
      return known.keyword;
    }
  }
  return StringedKeyword::Unknown;
}

std::string DescribeUnknownLine(const StringedReader& reader, const std::string& text) {
  if (text[0] == ' ' || text[0] == '\t') {
    return "a line that begins with a blank: the game takes a keyword only at the line's start";
  }
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    return "a UTF-8 byte order mark, which the game takes for part of the first keyword";
  }
  const std::string word = text.substr(0, text.find_first_of(STRINGED_BLANKS));
  return "\"" + ShowPackageText(word, reader.utf8) + "\" is not a keyword of a StringEd file";
}

bool IsCleanedLanguage(const std::string& language) {
  for (const char* cleaned : STRINGED_CLEANED_LANGUAGES) {
    if (EqualsNoCase(language, cleaned)) return true;
  }
  return false;
}

// A LANG_ line; the reason the game refuses the file, or an empty text.
std::string ReadText(StringedReader* reader, const std::string& rest) {
  const size_t wordEnd = std::min(rest.find_first_of(STRINGED_BLANKS), rest.size());
  const std::string language = rest.substr(0, wordEnd);
  if (reader->current.empty()) return "LANG_" + ShowPackageText(language, reader->utf8) +
                                      " without a REFERENCE before it";
  std::string text = ConvertLineBreaks(InsideQuotes(rest.substr(wordEnd)));
  // The game copies each text into a buffer three times its length: an empty one into a
  // buffer of no size, past which the copy runs.
  if (text.empty()) return "an empty text: the game copies it into a buffer of no size and crashes";
  if (IsCleanedLanguage(language)) text = CleanGameText(text, true);
  const bool english = EqualsNoCase(language, "english");
  const char* loading = STRINGS_LANGUAGE_NAMES[static_cast<int>(reader->language)];
  std::string& shown = reader->entries[reader->current].text;
  if (reader->loadingEnglish || english) {
    // Loading English, every text of the entry takes the place of the one before.
    shown = text;
    reader->currentEnglish = text;
  } else if (!EqualsNoCase(language, loading)) {
    return "a " + ShowPackageText(language, reader->utf8) + " text (LANG_" +
           ShowPackageText(language, reader->utf8) + ") in a file read as " + loading +
           ": the game takes English and " + loading + " texts only";
  } else {
    shown = EqualsNoCase(text, STRINGED_SAME) ? reader->currentEnglish : text;
  }
  return "";
}

// One keyword line; the reason the game refuses the file, or an empty text.
std::string ReadKeywordLine(StringedReader* reader, int line, StringedKeyword keyword,
                            const std::string& rest) {
  switch (keyword) {
    case StringedKeyword::Version:
      if (ReadLeadingNumber(InsideQuotes(rest)) != STRINGED_VERSION) {
        return "VERSION " + ShowPackageText(InsideQuotes(rest), reader->utf8) +
               ": the game reads version 1 only";
      }
      return "";
    case StringedKeyword::Reference:
      reader->current = InsideQuotes(rest);
      reader->entries[reader->current].lastLine = line;
      reader->referenceLines.push_back(line);
      reader->referenceNames.push_back(reader->current);
      return "";
    case StringedKeyword::Flags:
      return reader->current.empty() ? "FLAGS without a REFERENCE before it" : "";
    case StringedKeyword::EndMarker:
      reader->endMarkerSeen = true;
      return "";
    case StringedKeyword::Text:
      return ReadText(reader, rest);
    default:
      return "";
  }
}

// The reason the game refuses the file at this line, or an empty text.
std::string ReadLine(StringedReader* reader, const PackageLine& line) {
  if (line.text.size() >= STRINGED_LINE_BUFFER) {
    return "a line of " + std::to_string(line.text.size()) +
           " bytes, longer than the game's line buffer of 16,383: it would crash";
  }
  const std::string text = CleanLine(line.text);
  if (text.empty()) return "";
  reader->lastLine = line.number;
  std::string rest;
  const StringedKeyword keyword = FindKeyword(text, &rest);
  if (keyword == StringedKeyword::Unknown) return DescribeUnknownLine(*reader, text);
  // After the keyword the game skips blanks, as far as the value.
  const size_t value = rest.find_first_not_of(STRINGED_BLANKS);
  rest.erase(0, keyword == StringedKeyword::Text ? 0 : std::min(value, rest.size()));
  return ReadKeywordLine(reader, line.number, keyword, rest);
}

void CollectReferences(StringedReader* reader) {
  for (size_t index = 0; index < reader->referenceLines.size(); ++index) {
    ReadReference read;
    read.line = reader->referenceLines[index];
    read.reference = reader->referenceNames[index];
    const StringedEntry& entry = reader->entries[read.reference];
    if (entry.lastLine == read.line) {
      read.found = true;
      read.text = entry.text;
    } else {
      read.laterLine = entry.lastLine;
    }
    reader->reading.references.push_back(read);
  }
}

// Every LANG_ line names a language the file offers, even past the line the game refuses.
void FindTextLanguages(const std::vector<PackageLine>& lines, GameReading* reading) {
  for (const PackageLine& line : lines) {
    std::string rest;
    if (FindKeyword(CleanLine(line.text), &rest) != StringedKeyword::Text) continue;
    PackageLanguage language;
    if (FindPackageLanguage(rest.substr(0, rest.find_first_of(STRINGED_BLANKS)), &language)) {
      reading->hasTexts[static_cast<int>(language)] = true;
    }
  }
}

}  // namespace

GameReading ReadStringEdPackage(const std::vector<PackageLine>& lines, PackageLanguage language,
                                bool utf8) {
  StringedReader reader(language, utf8);
  FindTextLanguages(lines, &reader.reading);
  for (const PackageLine& line : lines) {
    // The game reads the file as one C string: a zero byte ends it.
    const size_t zero = line.text.find('\0');
    const std::string problem = ReadLine(&reader, {line.number, line.text.substr(0, zero), line.endsWithLineBreak});
    if (!problem.empty()) {
      reader.reading.Refuse(line.number, problem + STRINGED_REFUSES);
      return reader.reading;
    }
    if (zero != std::string::npos) break;
  }
  if (!reader.endMarkerSeen) {
    reader.reading.Refuse(reader.lastLine ? reader.lastLine : 1,
                          "no ENDMARKER: the file is cut short" + std::string(STRINGED_REFUSES));
  }
  CollectReferences(&reader);
  return reader.reading;
}
