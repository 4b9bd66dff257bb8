// A package's voice lines: its encoding and format told, its entries read by the format's
// reader, then each entry's reference checked as a file name and its text chosen.
#include "strings/string_package.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <utility>

#include "strings/package_reader.h"

namespace {

enum class PackageFormat { StripEd, StringEd };

constexpr const char* STRINGS_UTF8_MARK = "\xEF\xBB\xBF";
constexpr const char* STRINGS_UTF16_LE_MARK = "\xFF\xFE";
constexpr const char* STRINGS_UTF16_BE_MARK = "\xFE\xFF";
constexpr const char* STRINGS_STRIP_EXTENSION = ".sp";
constexpr const char* STRINGS_FILE_EXTENSION = ".mp3";
// The game's paths are 63 bytes at most, folders included.
constexpr size_t STRINGS_MAX_FILE_NAME = 63;
constexpr const char* STRINGS_NOT_IN_NAMES = "/\\:*?\"<>|";
const char* const STRINGS_DEVICE_NAMES[] = {
    "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
    "COM8", "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9",
};

// Windows-1252's characters for the bytes 0x80 to 0x9F; the five it leaves free stay
// what they are in Unicode, as Windows reads them.
const unsigned short STRINGS_WINDOWS_1252_HIGH[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the well-formed UTF-8 character at text[index], or 0 when there is none.
size_t MeasureUtf8Character(const std::string& text, size_t index) {
  const unsigned char lead = static_cast<unsigned char>(text[index]);
  if (lead < 0x80) return 1;
  size_t length = 0;
  unsigned long lowest = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    lowest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    lowest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    lowest = 0x10000;
  } else {
    return 0;
  }
  if (text.size() - index < length) return 0;
  unsigned long code = lead & (0x7F >> length);
  for (size_t next = 1; next < length; ++next) {
    const unsigned char byte = static_cast<unsigned char>(text[index + next]);
    if (!IsContinuation(byte)) return 0;
    code = (code << 6) | (byte & 0x3F);
  }
  const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
  return code < lowest || code > 0x10FFFF || surrogate ? 0 : length;
}

bool IsUtf8(const std::string& text) {
  for (size_t index = 0; index < text.size();) {
    const size_t length = MeasureUtf8Character(text, index);
    if (length == 0) return false;
    index += length;
  }
  return true;
}

void AppendUtf8(unsigned long code, std::string* text) {
  if (code < 0x80) {
    *text += static_cast<char>(code);
  } else if (code < 0x800) {
    *text += static_cast<char>(0xC0 | (code >> 6));
    *text += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    *text += static_cast<char>(0xE0 | (code >> 12));
    *text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    *text += static_cast<char>(0x80 | (code & 0x3F));
  }
}

std::string FromWindows1252(const std::string& bytes) {
  std::string text;
  for (char c : bytes) {
    const unsigned char byte = static_cast<unsigned char>(c);
    const bool high = byte >= 0x80 && byte < 0xA0;
    AppendUtf8(high ? STRINGS_WINDOWS_1252_HIGH[byte - 0x80] : byte, &text);
  }
  return text;
}

size_t CountCharacters(const std::string& text) {
  return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return !IsContinuation(static_cast<unsigned char>(c));
  }));
}

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool EndsWithNoCase(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && EqualsNoCase(text.substr(text.size() - tail.size()), tail);
}

std::string FirstWord(const std::string& line) {
  const size_t start = line.find_first_not_of(" \t\r");
  if (start == std::string::npos) return "";
  return line.substr(start, line.find_first_of(" \t\r", start) - start);
}

// The content tells the format where it can, by the first keyword that only one format
// has; the name's extension where it cannot.
PackageFormat DetectFormat(const std::vector<PackageLine>& lines, const std::string& name) {
  for (const PackageLine& line : lines) {
    const std::string word = FirstWord(line.text);
    if (word == "{" || word == "}" || EqualsNoCase(word, "INDEX") ||
        StartsWithNoCase(word, "TEXT_LANGUAGE")) {
      return PackageFormat::StripEd;
    }
    if (StartsWithNoCase(word, "ENDMARKER") || StartsWithNoCase(word, "LANG_")) {
      return PackageFormat::StringEd;
    }
  }
  return EndsWithNoCase(name, STRINGS_STRIP_EXTENSION) ? PackageFormat::StripEd
                                                       : PackageFormat::StringEd;
}

// A byte order mark makes the game miss the first keyword. UTF-8's is dropped and
// reported, so that the rest can still be checked; UTF-16 text cannot be read at all.
// False when the package is not to be read on.
bool TakeByteOrderMark(std::string* bytes, RawPackage* package) {
  if (bytes->compare(0, 2, STRINGS_UTF16_LE_MARK) == 0 ||
      bytes->compare(0, 2, STRINGS_UTF16_BE_MARK) == 0) {
    package->Refuse(1,
                    "UTF-16 text, which the game does not read: save the package as ANSI or UTF-8");
    return false;
  }
  if (bytes->compare(0, 3, STRINGS_UTF8_MARK) == 0) {
    package->Refuse(1,
                    "a UTF-8 byte order mark, which the game does not read: save the package "
                    "without it");
    bytes->erase(0, 3);
  }
  return true;
}

bool IsControlCharacter(const std::string& text, size_t index) {
  const unsigned char byte = static_cast<unsigned char>(text[index]);
  if (byte < 0x20 || byte == 0x7F) return true;
  // U+0080 to U+009F
  return byte == 0xC2 && index + 1 < text.size() &&
         static_cast<unsigned char>(text[index + 1]) < 0xA0;
}

bool IsDeviceName(const std::string& reference) {
  std::string base = reference.substr(0, reference.find('.'));
  base.erase(base.find_last_not_of(' ') + 1);
  for (const char* device : STRINGS_DEVICE_NAMES) {
    if (EqualsNoCase(base, device)) return true;
  }
  return false;
}

// Why the reference cannot be the file's name on Windows or Linux; empty when it can.
// nameLength is the file name's length in the package's own bytes, as the game counts.
std::string CheckReference(const std::string& reference, const std::string& fileName,
                           size_t nameLength) {
  if (reference.empty()) return "a line entry with an empty REFERENCE";
  const std::string cannot = "REFERENCE " + ShowText(reference) + " cannot be a file name: ";
  const size_t forbidden = reference.find_first_of(STRINGS_NOT_IN_NAMES);
  if (forbidden != std::string::npos) return cannot + "it holds '" + reference[forbidden] + "'";
  for (size_t index = 0; index < reference.size(); ++index) {
    if (IsControlCharacter(reference, index)) return cannot + "it holds a control character";
  }
  if (IsDeviceName(reference)) return cannot + "Windows keeps that name for a device";
  if (nameLength > STRINGS_MAX_FILE_NAME) {
    return cannot + fileName + " has " + std::to_string(nameLength) +
           " characters, and a game path holds 63 at most, folders included";
  }
  return "";
}

struct NamedLine {
  int line;
  std::string reference;
};

std::string DescribeSecondUse(const VoiceLine& voice, const NamedLine& first) {
  if (voice.reference == first.reference) {
    return "REFERENCE " + ShowText(voice.reference) + " is line " + std::to_string(first.line) +
           "'s too: the game would show one text for both";
  }
  return "REFERENCE " + ShowText(voice.reference) + " makes the file " + voice.fileName +
         " as line " + std::to_string(first.line) + "'s " + ShowText(first.reference) + " does";
}

// The text in the chosen language, else the English one; empty when there is neither.
std::string ChooseText(const RawEntry& entry, PackageLanguage language) {
  const std::string& chosen = entry.texts[static_cast<int>(language)];
  return chosen.empty() ? entry.texts[static_cast<int>(PackageLanguage::English)] : chosen;
}

void AddEntry(const RawEntry& entry, bool utf8, PackageLanguage language,
              std::map<std::string, NamedLine>* names, StringPackage* package) {
  VoiceLine voice = {entry.referenceLine, entry.reference, "", ChooseText(entry, language)};
  voice.fileName = LowerAscii(entry.reference) + STRINGS_FILE_EXTENSION;
  const size_t referenceLength = utf8 ? entry.reference.size() : CountCharacters(entry.reference);
  const size_t nameLength = referenceLength + std::strlen(STRINGS_FILE_EXTENSION);
  std::string problem = CheckReference(entry.reference, voice.fileName, nameLength);
  if (problem.empty()) {
    const auto [first, isNew] =
        names->emplace(voice.fileName, NamedLine{voice.line, voice.reference});
    if (!isNew) problem = DescribeSecondUse(voice, first->second);
  }
  if (!problem.empty()) {
    package->reports.push_back({voice.line, problem, true});
  } else if (voice.text.empty()) {
    package->reports.push_back({voice.line, ShowText(voice.reference) + " has no text", false});
  } else {
    package->lines.push_back(voice);
  }
}

// The package's entries as its format's reader finds them, in UTF-8; *utf8 tells whether
// the package was.
RawPackage ReadEntries(std::string text, const std::string& name, bool* utf8) {
  RawPackage marks;
  if (!TakeByteOrderMark(&text, &marks)) return marks;
  *utf8 = IsUtf8(text);
  if (!*utf8) text = FromWindows1252(text);
  const std::vector<PackageLine> lines = SplitPackageLines(text);
  RawPackage read = DetectFormat(lines, name) == PackageFormat::StripEd
                        ? ReadStripEdPackage(lines)
                        : ReadStringEdPackage(lines);
  read.reports.insert(read.reports.begin(), marks.reports.begin(), marks.reports.end());
  return read;
}

}  // namespace

bool FindPackageLanguage(const std::string& name, PackageLanguage* language) {
  for (int index = 0; index < STRINGS_LANGUAGE_COUNT; ++index) {
    if (EqualsNoCase(name, STRINGS_LANGUAGE_NAMES[index])) {
      *language = static_cast<PackageLanguage>(index);
      return true;
    }
  }
  return false;
}

const char* GetPackageLanguageName(PackageLanguage language) {
  return STRINGS_LANGUAGE_NAMES[static_cast<int>(language)];
}

std::string ListPackageLanguages() {
  std::string list;
  for (const char* name : STRINGS_LANGUAGE_NAMES)
    list += (list.empty() ? "" : ", ") + std::string(name);
  return list;
}

StringPackage ReadStringPackage(const std::string& bytes, const std::string& name,
                                PackageLanguage language) {
  bool utf8 = true;
  const RawPackage raw = ReadEntries(bytes, name, &utf8);
  StringPackage package;
  package.reports = raw.reports;
  std::map<std::string, NamedLine> names;
  for (const RawEntry& entry : raw.entries) AddEntry(entry, utf8, language, &names, &package);
  std::stable_sort(package.reports.begin(), package.reports.end(),
                   [](const PackageReport& a, const PackageReport& b) { return a.line < b.line; });
  return package;
}

bool IsPackageRefused(const StringPackage& package) {
  return std::any_of(package.reports.begin(), package.reports.end(),
                     [](const PackageReport& report) { return report.refusesPackage; });
}
