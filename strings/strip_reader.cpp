// Jedi Outcast's StripEd packages (.sp): a header of keyword lines with COUNT, then per
// voice line "INDEX n", "{", its keyword lines and "}". The game takes a line's first
// word, up to a space, as its keyword, and stops reading the package at the first line
// whose keyword it does not know, a blank line included; lines it did not reach are
// never shown.
#include <map>
#include <string>

#include "strings/package_reader.h"

namespace {

enum class StripKeyword {
  Unknown,
  Version,
  Reference,
  Count,
  Index,
  OpenBrace,
  CloseBrace,
  Text,
  Other,  // known and without meaning for the voice lines: ID, CONFIG, NOTES, FLAGS, ...
};

struct StripWord {
  const char* word;
  StripKeyword keyword;
};

const StripWord STRIP_WORDS[] = {
    {"VERSION", StripKeyword::Version},
    {"REFERENCE", StripKeyword::Reference},
    {"COUNT", StripKeyword::Count},
    {"INDEX", StripKeyword::Index},
    {"{", StripKeyword::OpenBrace},
    {"}", StripKeyword::CloseBrace},
    {"ID", StripKeyword::Other},
    {"DESCRIPTION", StripKeyword::Other},
    {"FLAGS", StripKeyword::Other},
    {"NOTES", StripKeyword::Other},
    {"CONFIG", StripKeyword::Other},
    {"SP_FLAG1", StripKeyword::Other},
    {"SP_FLAG2", StripKeyword::Other},
    {"SP_FLAG3", StripKeyword::Other},
    {"SP_FLAG4", StripKeyword::Other},
    {"SP_FLAG5", StripKeyword::Other},
    {"SP_FLAG6", StripKeyword::Other},
    {"SP_FLAG7", StripKeyword::Other},
    {"SP_FLAG8", StripKeyword::Other},
    {"SP_FLAG9", StripKeyword::Other},
    {"SP_FLAG_ORIGINAL", StripKeyword::Other},
};
constexpr const char* STRIP_TEXT_WORD = "TEXT_LANGUAGE";
constexpr int STRIP_TEXT_WORDS = 10;  // the tenth names no language of ours
constexpr long long STRIP_MAX_INDEX = 255;
constexpr const char* STRIP_STOPS = ": the game stops reading the package here";

struct StripLine {
  int number;
  StripKeyword keyword;
  int language;      // of a Text line, from 0
  std::string word;  // as written
  std::string data;  // its value, a quoted one without its quotes and with line breaks
};

enum class StripPlace { Outside, AfterIndex, InEntry };

struct StripState {
  RawPackage package;
  RawEntry entry;  // the one being read
  StripPlace place = StripPlace::Outside;
  int indexLine = 0;  // of the entry being read; 0: it has none
  int openLine = 0;   // of its {; 0: it has none
  bool countSeen = false;
  long long count = 0;
  long long entriesBegun = 0;
  std::map<long long, int> indexLines;
  // Where the game would stop reading, told only when a line of an entry comes after it.
  int stopLine = 0;
  std::string stopText;
};

void FindKeyword(StripLine* line) {
  line->keyword = StripKeyword::Unknown;
  for (const StripWord& known : STRIP_WORDS) {
    if (EqualsNoCase(line->word, known.word)) line->keyword = known.keyword;
  }
  for (int number = 1; number <= STRIP_TEXT_WORDS; ++number) {
    if (EqualsNoCase(line->word, STRIP_TEXT_WORD + std::to_string(number))) {
      line->keyword = StripKeyword::Text;
      line->language = number - 1;
    }
  }
}

// A quoted value ends at a quote that ends the line; quotes before it are the text's.
std::string ReadValue(const std::string& data) {
  if (data.empty() || data[0] != '"') return data;
  std::string inside = data.substr(1);
  if (!inside.empty() && inside.back() == '"') inside.pop_back();
  return ConvertLineBreaks(inside);
}

// The line up to its first CR, which ends a keyword's value as a line break does.
StripLine SplitLine(const PackageLine& line) {
  const std::string text = line.text.substr(0, line.text.find('\r'));
  StripLine split = {line.number, StripKeyword::Unknown, 0, "", ""};
  const size_t wordStart = text.find_first_not_of(' ');
  if (wordStart == std::string::npos) return split;
  const size_t wordEnd = text.find(' ', wordStart);
  split.word = text.substr(wordStart, wordEnd - wordStart);
  const size_t dataStart =
      wordEnd == std::string::npos ? wordEnd : text.find_first_not_of(' ', wordEnd);
  if (dataStart != std::string::npos) split.data = ReadValue(text.substr(dataStart));
  FindKeyword(&split);
  return split;
}

std::string DescribeUnknownWord(const std::string& word) {
  std::string text = "\"" + ShowText(word) + "\" is not a keyword of a StripEd package";
  if (word.find('\t') != std::string::npos) text += " (a keyword ends at a space, not a tab)";
  return text + STRIP_STOPS;
}

void NoteStop(StripState* state, int line, const std::string& text) {
  if (state->stopLine == 0) {
    state->stopLine = line;
    state->stopText = text;
  }
}

void TellStop(StripState* state) {
  if (state->stopLine == 0) return;
  state->package.Refuse(state->stopLine, state->stopText);
  state->stopLine = 0;
}

void CheckIndex(StripState* state, const StripLine& line) {
  const long long index = ReadLeadingNumber(line.data);
  if (index < 0 || index > STRIP_MAX_INDEX) {
    state->package.Refuse(line.number, "INDEX " + ShowText(line.data) +
                                           ": the game holds line entries 0 to 255 only");
    return;
  }
  const auto [earlier, isNew] = state->indexLines.emplace(index, line.number);
  if (!isNew) {
    state->package.Refuse(line.number,
                          "INDEX " + std::to_string(index) + " is line " +
                              std::to_string(earlier->second) +
                              "'s too: the game would show this entry's text for both");
  }
}

// The game reads line entries only after COUNT, and only as many as it says.
void CheckCount(StripState* state, int line) {
  ++state->entriesBegun;
  if (!state->countSeen && state->entriesBegun == 1) {
    state->package.Refuse(line, "a line entry before COUNT: the game reads none without it");
  } else if (state->countSeen && state->entriesBegun == state->count + 1) {
    state->package.Refuse(line, "more line entries than COUNT " + std::to_string(state->count) +
                                    ": the game reads none from here on");
  }
}

void BeginEntry(StripState* state, int line) {
  CheckCount(state, line);
  state->entry = RawEntry();
  state->entry.line = line;
}

void EndEntry(StripState* state) {
  if (state->entry.referenceLine == 0) {
    state->package.Refuse(state->entry.line, "a line entry without REFERENCE");
  } else {
    state->package.entries.push_back(state->entry);
  }
  state->place = StripPlace::Outside;
}

void ReadOutside(StripState* state, const StripLine& line) {
  switch (line.keyword) {
    case StripKeyword::Index:
      BeginEntry(state, line.number);
      CheckIndex(state, line);
      state->place = StripPlace::AfterIndex;
      state->indexLine = line.number;
      state->openLine = 0;
      return;
    case StripKeyword::OpenBrace:
      BeginEntry(state, line.number);
      state->package.Refuse(line.number, "{ without INDEX before it" + std::string(STRIP_STOPS));
      state->place = StripPlace::InEntry;
      state->indexLine = 0;
      state->openLine = line.number;
      return;
    case StripKeyword::CloseBrace:
      state->package.Refuse(line.number, "} closes no {");
      return;
    case StripKeyword::Count:
      state->countSeen = true;
      state->count = ReadLeadingNumber(line.data);
      return;
    default:
      // From COUNT on, the game wants nothing but the next INDEX.
      if (state->countSeen) {
        NoteStop(state, line.number,
                 ShowText(line.word) + " where the game wants INDEX" + STRIP_STOPS);
      }
      return;
  }
}

void ReportUnclosed(StripState* state) {
  if (state->openLine != 0) state->package.Refuse(state->openLine, "{ is not closed");
}

// A line that should be the entry's { but is not: the game stops there. The line is read
// as the entry's own, so that the rest of the entry is checked too.
void ReportMissingBrace(StripState* state) {
  state->package.Refuse(state->indexLine, "INDEX is not followed by {" + std::string(STRIP_STOPS));
  state->place = StripPlace::InEntry;
}

// False when the line does not belong in the entry: it is then read outside it.
bool ReadInEntry(StripState* state, const StripLine& line) {
  switch (line.keyword) {
    case StripKeyword::Reference:
      state->entry.reference = line.data;
      state->entry.referenceLine = line.number;
      return true;
    case StripKeyword::Text:
      if (line.language < STRINGS_LANGUAGE_COUNT) state->entry.texts[line.language] = line.data;
      return true;
    case StripKeyword::CloseBrace:
      EndEntry(state);
      return true;
    case StripKeyword::Index:
    case StripKeyword::OpenBrace:
      ReportUnclosed(state);
      EndEntry(state);
      return false;
    default:
      return true;
  }
}

void ReadKnownLine(StripState* state, const StripLine& line) {
  if (state->place == StripPlace::AfterIndex) {
    if (line.keyword == StripKeyword::OpenBrace) {
      state->place = StripPlace::InEntry;
      state->openLine = line.number;
      return;
    }
    ReportMissingBrace(state);
  }
  if (state->place == StripPlace::InEntry && ReadInEntry(state, line)) return;
  ReadOutside(state, line);
}

void ReadLine(StripState* state, const StripLine& line) {
  const bool insideEntry = state->place != StripPlace::Outside;
  if (line.word.empty()) {
    NoteStop(state, line.number, "a blank line" + std::string(STRIP_STOPS));
    return;
  }
  if (insideEntry) TellStop(state);
  if (line.keyword == StripKeyword::Unknown) {
    state->package.Refuse(line.number, DescribeUnknownWord(line.word));
    return;
  }
  ReadKnownLine(state, line);
}

void ReadEnd(StripState* state) {
  if (state->place == StripPlace::AfterIndex) ReportMissingBrace(state);
  if (state->place == StripPlace::Outside) return;
  ReportUnclosed(state);
  EndEntry(state);
}

// The game reads a package only when it begins with VERSION 1.
bool ReadVersion(RawPackage* package, const std::vector<PackageLine>& lines) {
  const StripLine first =
      lines.empty() ? StripLine{1, StripKeyword::Unknown, 0, "", ""} : SplitLine(lines.front());
  if (first.keyword != StripKeyword::Version) {
    package->Refuse(1, "not a string package: it does not begin with VERSION");
    return false;
  }
  if (ReadLeadingNumber(first.data) != 1) {
    package->Refuse(1, "VERSION " + ShowText(first.data) + ": the game reads version 1 only");
  }
  return true;
}

}  // namespace

RawPackage ReadStripEdPackage(const std::vector<PackageLine>& lines) {
  StripState state;
  if (!ReadVersion(&state.package, lines)) return state.package;
  for (size_t index = 1; index < lines.size(); ++index) ReadLine(&state, SplitLine(lines[index]));
  ReadEnd(&state);
  return state.package;
}
