// Jedi Outcast's StripEd packages (.sp), read as the game reads them: a header of keyword
// lines with COUNT, then COUNT line entries, each "INDEX n", "{", its keyword lines and
// "}". The game takes a line's first word, up to a space, as its keyword, in any case. It
// never refuses a package: it stops reading, without a word, at the first line it does not
// expect, and keeps what it read before.
#include <algorithm>
#include <cstring>
#include <map>
#include <string>

#include "strings/package_reader.h"

namespace {

enum class StripToken {
  Invalid,
  Text,  // TEXT_LANGUAGE1 to TEXT_LANGUAGE10
  Version,
  Id,
  Reference,
  Count,
  Index,
  OpenBrace,
  CloseBrace,
  Config,
  Other,  // DESCRIPTION, FLAGS, NOTES, SP_FLAG1 to SP_FLAG9, SP_FLAG_ORIGINAL
};

struct StripWord {
  const char* word;
  StripToken token;
};

const StripWord STRIP_WORDS[] = {
    {"VERSION", StripToken::Version},   {"ID", StripToken::Id},
    {"REFERENCE", StripToken::Reference}, {"DESCRIPTION", StripToken::Other},
    {"COUNT", StripToken::Count},       {"FLAGS", StripToken::Other},
    {"SP_FLAG1", StripToken::Other},    {"SP_FLAG2", StripToken::Other},
    {"SP_FLAG3", StripToken::Other},    {"SP_FLAG4", StripToken::Other},
    {"SP_FLAG5", StripToken::Other},    {"SP_FLAG6", StripToken::Other},
    {"SP_FLAG7", StripToken::Other},    {"SP_FLAG8", StripToken::Other},
    {"SP_FLAG9", StripToken::Other},    {"SP_FLAG_ORIGINAL", StripToken::Other},
    {"{", StripToken::OpenBrace},       {"}", StripToken::CloseBrace},
    {"INDEX", StripToken::Index},       {"NOTES", StripToken::Other},
    {"CONFIG", StripToken::Config},
};
constexpr const char* STRIP_TEXT_WORD = "TEXT_LANGUAGE";
constexpr int STRIP_TEXT_WORDS = 10;  // the tenth names no language the game offers
// The game cleans the texts of these keywords, whichever language it shows.
constexpr int STRIP_CLEANED_TEXTS[] = {0, 1, 2, 7};  // English, French, German, Spanish
constexpr long long STRIP_ENTRIES = 256;
constexpr int STRIP_VERSION = 1;
// The game's line buffer: a longer line is read as several.
constexpr size_t STRIP_LINE_BYTES = 8192;
constexpr const char* STRIP_BLANKS = " \n\r";
constexpr size_t STRIP_SHOWN_WORD = 40;  // a longer word is shown cut, with "..."

// A line as the game's GetLine reads it.
struct StripLine {
  int number = 0;
  StripToken token = StripToken::Invalid;
  int language = 0;   // of a Text line, from 0
  std::string word;   // the keyword as written
  std::string value;  // a quoted one without its quotes, its "\n" made line breaks
};

// A line entry's slot, as the game keeps the 256 of them.
struct StripSlot {
  std::string reference;
  int referenceLine = 0;
  bool hasText = false;
  std::string text;
};

struct StripReader {
  StripReader(const std::vector<PackageLine>& lines, PackageLanguage language, bool utf8)
      : lines(lines), language(language), utf8(utf8) {}

  const std::vector<PackageLine>& lines;
  PackageLanguage language;
  bool utf8;
  size_t next = 0;      // the next line to read
  size_t nextPart = 0;  // where in it, for a line longer than the game's buffer
  GameReading reading;
  StripSlot slots[STRIP_ENTRIES];
  std::map<std::string, int> table;         // reference -> slot, as the game looks lines up
  std::map<std::string, int> tableLine;     // reference -> the REFERENCE line it came from
  std::map<int, std::string> headerReferenceWhy;  // entry REFERENCE lines read in the header
  std::map<int, int> replacedBy;            // REFERENCE line -> the later one in its entry
  bool countSeen = false;
  long long count = 0;
  int stopLine = 0;  // where the game stops reading; 0: at the end
  std::string stopWhy;
};

void FindToken(StripLine* line) {
  for (const StripWord& known : STRIP_WORDS) {
    if (EqualsNoCase(line->word, known.word)) line->token = known.token;
  }
  for (int number = 1; number <= STRIP_TEXT_WORDS; ++number) {
    if (EqualsNoCase(line->word, STRIP_TEXT_WORD + std::to_string(number))) {
      line->token = StripToken::Text;
      line->language = number - 1;
    }
  }
}

// A quoted value ends at a quote that ends the line; quotes before it are the text's.
std::string ReadQuotedValue(const std::string& text, size_t at) {
  std::string value;
  for (; at < text.size(); ++at) {
    const bool endsLine = at + 1 == text.size() || text[at + 1] == '\r' || text[at + 1] == '\n';
    if (text[at] == '"' && endsLine) break;
    if (text[at] == '\\' && at + 1 < text.size() && text[at + 1] == 'n') {
      value += '\n';
      ++at;
    } else {
      value += text[at];
    }
  }
  return value;
}

// The game reads a line as a C string, up to its first zero byte.
StripLine SplitLine(int number, std::string text) {
  text.resize(std::min(text.find('\0'), text.size()));
  StripLine line;
  line.number = number;
  const size_t wordStart = text.find_first_not_of(STRIP_BLANKS);
  if (wordStart == std::string::npos) return line;
  const size_t wordEnd = std::min(text.find_first_of(STRIP_BLANKS, wordStart), text.size());
  line.word = text.substr(wordStart, wordEnd - wordStart);
  FindToken(&line);
  const size_t valueStart = text.find_first_not_of(STRIP_BLANKS, wordEnd);
  if (valueStart == std::string::npos) return line;
  if (text[valueStart] == '"') {
    line.value = ReadQuotedValue(text, valueStart + 1);
  } else {
    line.value = text.substr(valueStart, text.find_first_of("\n\r", valueStart) - valueStart);
  }
  return line;
}

// The next line as the game reads it; false at the end of the package. The game's buffer
// holds a line's '\n' too: a longer line is read as several.
bool GetLine(StripReader* reader, StripLine* line) {
  if (reader->next >= reader->lines.size()) return false;
  const PackageLine& whole = reader->lines[reader->next];
  const size_t rest = whole.text.size() - reader->nextPart;
  const bool fits = rest + (whole.endsWithLineBreak ? 1 : 0) <= STRIP_LINE_BYTES;
  const size_t taken = fits ? rest : STRIP_LINE_BYTES;
  const size_t start = reader->nextPart;
  if (fits) {
    reader->nextPart = 0;
    ++reader->next;
  } else {
    reader->nextPart += taken;
  }
  // The line's '\n' ends a value as its CR does; it is part of a text whose last quote is
  // not the line's end.
  const bool lineEnds = fits && whole.endsWithLineBreak;
  *line = SplitLine(whole.number, whole.text.substr(start, taken) + (lineEnds ? "\n" : ""));
  return true;
}

std::string Show(const StripReader& reader, const std::string& text) {
  return ShowPackageText(text, reader.utf8);
}

void Stop(StripReader* reader, const StripLine& line, const std::string& why) {
  reader->stopLine = line.number;
  reader->stopWhy = why;
}

std::string DescribeUnexpected(const StripReader& reader, const StripLine& line,
                               const char* wanted) {
  if (line.word.empty()) return "a blank line";
  if (line.word[0] == '\t') return "a line that begins with a tab";
  const bool cut = line.word.size() > STRIP_SHOWN_WORD;
  std::string why = "\"" + Show(reader, line.word.substr(0, STRIP_SHOWN_WORD)) + (cut ? "...\"" : "\"");
  why += line.token == StripToken::Invalid ? ", which is no keyword" : std::string(", not ") + wanted;
  if (line.word.find('\t') != std::string::npos) why += " (a keyword ends at a space, not a tab)";
  return why;
}

void SetText(StripSlot* slot, const StripLine& line) {
  std::string text = line.value;
  for (int cleaned : STRIP_CLEANED_TEXTS) {
    if (line.language == cleaned) text = CleanGameText(text, false);
  }
  slot->hasText = !text.empty();
  slot->text = text;
}

// A text line of an entry: English is taken until another text is, the reader's own
// language always.
void ReadText(StripReader* reader, StripSlot* slot, const StripLine& line) {
  const bool english = line.language == static_cast<int>(PackageLanguage::English);
  if ((english && !slot->hasText) || line.language == static_cast<int>(reader->language)) {
    SetText(slot, line);
  }
}

// An entry from its { to its }; false where the game stops reading.
bool LoadEntry(StripReader* reader, StripSlot* slot) {
  *slot = StripSlot();
  StripLine line;
  if (!GetLine(reader, &line)) return false;
  if (line.token != StripToken::OpenBrace) {
    Stop(reader, line, "INDEX is not followed by {: " + DescribeUnexpected(*reader, line, "{"));
    return false;
  }
  while (GetLine(reader, &line)) {
    switch (line.token) {
      case StripToken::Text:
        ReadText(reader, slot, line);
        break;
      case StripToken::Reference:
        if (slot->referenceLine) reader->replacedBy[slot->referenceLine] = line.number;
        slot->reference = line.value;
        slot->referenceLine = line.value.empty() ? 0 : line.number;
        break;
      case StripToken::CloseBrace:
        return true;
      case StripToken::Invalid:
        Stop(reader, line, DescribeUnexpected(*reader, line, ""));
        return false;
      default:
        break;  // every other keyword is taken and means nothing here
    }
  }
  return false;
}

// COUNT's line entries; false where the game stops reading.
bool LoadEntries(StripReader* reader, long long count) {
  for (long long entry = 0; entry < count; ++entry) {
    StripLine line;
    if (!GetLine(reader, &line)) return false;
    if (line.token != StripToken::Index) {
      Stop(reader, line,
           DescribeUnexpected(*reader, line, "INDEX") + " where the game wants INDEX");
      return false;
    }
    const long long index = ReadLeadingNumber(line.value);
    if (index < 0 || index >= STRIP_ENTRIES) {
      // The game stores the entry at that place of its 256 whatever it is.
      reader->reading.Refuse(line.number, "INDEX " + Show(*reader, line.value) +
                                              ": the game holds entries 0 to 255 and would "
                                              "write this one past them; it may crash");
      Stop(reader, line, "INDEX " + Show(*reader, line.value) + " is out of range");
      return false;
    }
    StripSlot& slot = reader->slots[index];
    if (!LoadEntry(reader, &slot)) return false;
    if (slot.referenceLine) {
      reader->table[slot.reference] = static_cast<int>(index);
      reader->tableLine[slot.reference] = slot.referenceLine;
    }
  }
  return true;
}

// The header's keyword lines, with COUNT's entries among them; false where the game stops.
bool ReadHeaderLine(StripReader* reader, const StripLine& line) {
  switch (line.token) {
    case StripToken::Id:
    case StripToken::Config:
      return true;
    case StripToken::Reference:
      reader->reading.headerReferenceSeen = !line.value.empty();
      reader->reading.headerReference = line.value;
      reader->reading.headerReferenceLine = line.number;
      reader->headerReferenceWhy[line.number] =
          reader->countSeen ? "more line entries than COUNT " + std::to_string(reader->count) +
                                  ": the game reads none beyond them, and takes this REFERENCE "
                                  "for the package's own"
                            : "a line entry before COUNT: the game reads none without it";
      return true;
    case StripToken::Count:
      reader->countSeen = true;
      reader->reading.countReached = true;
      reader->count = ReadLeadingNumber(line.value);
      return LoadEntries(reader, reader->count);
    case StripToken::Invalid:
      Stop(reader, line, DescribeUnexpected(*reader, line, ""));
      return false;
    default:
      return true;  // taken, and meaning nothing in the header
  }
}

// The game reads a package only when it begins with VERSION 1.
bool ReadVersion(StripReader* reader) {
  StripLine line;
  if (!GetLine(reader, &line)) return false;
  if (line.token == StripToken::Version && ReadLeadingNumber(line.value) == STRIP_VERSION) {
    return true;
  }
  if (line.token != StripToken::Version) {
    const bool mark = line.word.compare(0, 3, "\xEF\xBB\xBF") == 0;
    Stop(reader, line, mark ? "a UTF-8 byte order mark before VERSION; save without it"
                            : "the package does not begin with VERSION 1");
  } else {
    Stop(reader, line, "VERSION " + Show(*reader, line.value) + ": the game reads version 1 only");
  }
  return false;
}

bool IsReferenceWord(const std::string& text) {
  const size_t start = text.find_first_not_of(" \t\r");
  if (start == std::string::npos) return false;
  const size_t end = std::min(text.find_first_of(" \t\r", start), text.size());
  return EqualsNoCase(text.substr(start, end - start), "REFERENCE");
}

// The line entries' REFERENCE lines as the author wrote them: every one after the first
// INDEX or {, read whether or not the game reaches it.
std::vector<StripLine> FindAuthoredReferences(const std::vector<PackageLine>& lines) {
  std::vector<StripLine> references;
  bool inEntries = false;
  for (const PackageLine& whole : lines) {
    const StripLine line =
        SplitLine(whole.number, whole.text + (whole.endsWithLineBreak ? "\n" : ""));
    if (line.token == StripToken::Index || line.token == StripToken::OpenBrace) inEntries = true;
    if (!inEntries || !IsReferenceWord(whole.text)) continue;
    StripLine reference = line;
    if (line.token != StripToken::Reference) {
      // "REFERENCE\tKYLE": the game stops here; the author meant KYLE.
      const size_t start = whole.text.find_first_not_of(" \t\r") + std::strlen("REFERENCE");
      const size_t value = whole.text.find_first_not_of(" \t", start);
      reference.value = value == std::string::npos ? "" : whole.text.substr(value);
    }
    references.push_back(reference);
  }
  return references;
}

// What the game made of one authored REFERENCE line.
ReadReference JudgeReference(StripReader* reader, const StripLine& line) {
  ReadReference read;
  read.line = line.number;
  read.reference = line.value;
  const auto registered = reader->tableLine.find(line.value);
  const std::string stop = "the game stops reading at line " + std::to_string(reader->stopLine);
  if (reader->stopLine != 0 && line.number >= reader->stopLine) {
    read.lost = stop + ": " + reader->stopWhy;
  } else if (registered != reader->tableLine.end() && registered->second == line.number) {
    const StripSlot& slot = reader->slots[reader->table.at(line.value)];
    read.found = true;
    read.text = slot.hasText ? slot.text : "";
    if (slot.referenceLine != line.number) {
      reader->reading.Warn(line.number, "a later entry with the same INDEX (line " +
                                            std::to_string(slot.referenceLine) +
                                            "'s) takes this one's place: the game shows its "
                                            "text for this REFERENCE too");
    }
  } else if (registered != reader->tableLine.end() && registered->second > line.number) {
    read.laterLine = registered->second;
  } else if (reader->headerReferenceWhy.count(line.number)) {
    read.lost = reader->headerReferenceWhy.at(line.number);
  } else if (reader->replacedBy.count(line.number)) {
    read.lost = "the entry is not closed with } before line " +
                std::to_string(reader->replacedBy.at(line.number)) +
                ", whose REFERENCE the game reads in place of this one";
  } else if (line.value.empty()) {
    read.lost = "an empty REFERENCE";
  } else if (reader->stopLine != 0) {
    read.lost = stop + ", before this entry's }: " + reader->stopWhy;
  } else {
    read.lost = "the entry is not closed with } before the package ends: the game drops it";
  }
  return read;
}

// Every TEXT_LANGUAGE line names a language the package offers, wherever the game stops.
void FindTextLanguages(const std::vector<PackageLine>& lines, GameReading* reading) {
  for (const PackageLine& whole : lines) {
    const StripLine line = SplitLine(whole.number, whole.text);
    if (line.token == StripToken::Text && line.language < STRINGS_LANGUAGE_COUNT) {
      reading->hasTexts[line.language] = true;
    }
  }
}

}  // namespace

GameReading ReadStripEdPackage(const std::vector<PackageLine>& lines, PackageLanguage language,
                               bool utf8) {
  StripReader reader(lines, language, utf8);
  FindTextLanguages(lines, &reader.reading);
  if (ReadVersion(&reader)) {
    StripLine line;
    while (GetLine(&reader, &line) && ReadHeaderLine(&reader, line)) {
    }
  }
  for (const StripLine& reference : FindAuthoredReferences(lines)) {
    reader.reading.references.push_back(JudgeReference(&reader, reference));
  }
  return reader.reading;
}
