// A package's voice lines: its encoding and format told, its lines read by its game's
// reader, then each line the game finds judged as a voice file's name and caption.
#include "strings/string_package.h"

#include <algorithm>
#include <map>
#include <utility>

#include "generator/hushmaker.h"
#include "platform/platform.h"
#include "strings/package_reader.h"
#include "support/path_helpers.h"
#include "support/text_rules.h"

namespace {

constexpr const char* STRINGS_STRIP_EXTENSION = ".sp";
constexpr const char* STRINGS_FILE_EXTENSION = ".mp3";
constexpr const char* STRINGS_FOLDER = "strings";
// Jedi Outcast cuts the key it looks a caption up by to the 63 bytes of a game path.
constexpr size_t STRINGS_MAX_KEY = 63;
// The caption's text buffer and its lines (cg_text.cpp, cg_local.h).
constexpr size_t STRINGS_CAPTION_BYTES = 8191;
constexpr size_t STRINGS_CAPTION_LINES = 32;
// Jedi Academy plays a female player's voice lines from ms_ files in place of mr_ ones.
constexpr const char* STRINGS_MALE_PREFIX = "MR_";
constexpr const char* STRINGS_FEMALE_PREFIX = "MS_";

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
PackageFormat DetectFormat(const std::vector<PackageLine>& lines, const std::string& path) {
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
  return EndsWithNoCase(path, STRINGS_STRIP_EXTENSION) ? PackageFormat::StripEd
                                                       : PackageFormat::StringEd;
}

// The game loads a StringEd file from strings/LANGUAGE/ in that language.
PackageLanguage FindFolderLanguage(const std::string& path) {
  const std::vector<std::string> parts = SplitPathNames(path);
  PackageLanguage language = PackageLanguage::English;
  const size_t count = parts.size();
  if (count >= 3 && EqualsNoCase(parts[count - 3], STRINGS_FOLDER) &&
      FindPackageLanguage(parts[count - 2], &language)) {
    return language;
  }
  return PackageLanguage::English;
}

bool IsAsian(PackageLanguage language) {
  return language == PackageLanguage::Korean || language == PackageLanguage::Taiwanese ||
         language == PackageLanguage::Japanese;
}

// What the game puts before a caption key: the map's name, which is the package's file
// name; from standard input, a StripEd header's REFERENCE.
std::string FindLevelName(const std::string& path, const GameReading& reading) {
  if (path.empty()) return reading.headerReferenceSeen ? UpperAscii(reading.headerReference) : "";
  std::string name = SplitPathNames(path).back();
  StripExtensionInPlace(&name[0]);
  return UpperAscii(name.c_str());
}

struct Judging {
  const PackageSource& source;
  bool utf8;
  StringPackage package;
};

std::string ShowBytes(const Judging& judging, const std::string& bytes) {
  return ShowPackageText(bytes, judging.utf8);
}

std::string ToUtf8(const Judging& judging, const std::string& bytes) {
  return judging.utf8 ? bytes : FromWindows1252(bytes);
}

void Report(Judging* judging, int line, std::string text, ReportKind kind) {
  judging->package.reports.push_back({line, std::move(text), kind});
}

// The StripEd header names the package, and the game finds its lines only under the
// map's name.
void CheckHeaderReference(Judging* judging, const GameReading& reading) {
  const std::string& level = judging->package.levelName;
  // Where the game stops before COUNT it finds no line whatever the header says.
  if (judging->source.path.empty() || !reading.countReached) return;
  if (!reading.headerReferenceSeen) {
    Report(judging, 1,
           "the header has no REFERENCE: the game looks this map's lines up as " + level +
               "_REFERENCE and finds them only when the header's REFERENCE is " + level +
               ", the file's name",
           ReportKind::Warning);
  } else if (!EqualsNoCase(reading.headerReference, level)) {
    Report(judging, reading.headerReferenceLine,
           "the header's REFERENCE is " + ShowBytes(*judging, reading.headerReference) +
               ", not " + level + ", the file's name: the game looks this map's lines up as " +
               level + "_REFERENCE and finds none of them here",
           ReportKind::Warning);
  }
}

std::string DescribeNameClash(NameClash clash, const std::string& name) {
  switch (clash) {
    case NameClash::DriveOrStream:
      return "it holds ':'";
    case NameClash::ReservedCharacter:
      return "it holds one of < > \" | ? *";
    case NameClash::DeviceName:
      return "Windows keeps the name " + name + " for a device";
    case NameClash::Allowed:
      break;
  }
  return "";
}

// The file the game plays for a reference: a script plays REFERENCE.mp3, whose caption
// key is REFERENCE, and the sound system drops one more extension: KYLE.HI plays kyle.mp3.
std::string FindPlayedName(const std::string& reference) {
  std::string name = LowerAscii(reference);
  StripExtensionInPlace(&name[0]);
  return name.c_str() + std::string(STRINGS_FILE_EXTENSION);
}

// Why the game can never show the line of this reference, or an empty text.
std::string CheckReference(const Judging& judging, const std::string& reference) {
  if (reference.empty()) return "an empty REFERENCE";
  if (reference.find_first_of("abcdefghijklmnopqrstuvwxyz") != std::string::npos) {
    return "the game looks captions up in capitals, so a reference with a lower-case letter "
           "is never found";
  }
  if (reference[0] == '#') {
    return "the game looks a voice file whose name begins with # up without the map's name, "
           "so this line is never found";
  }
  if (reference[0] == ' ') {
    return "it begins with a blank, which lists and scripts drop from a voice file's name";
  }
  const std::string cannot = "it cannot be a voice file's name: ";
  const size_t separator = reference.find_first_of("/\\");
  if (separator != std::string::npos) {
    return cannot + "it holds '" + reference[separator] +
           "', and the game looks the caption up by the name after the last one";
  }
  if (HasControlCharacter(reference.c_str())) return cannot + "it holds a control character";
  const std::string clash = DescribeNameClash(CheckWindowsName(reference), reference);
  if (!clash.empty()) return cannot + clash;
  const std::string key = judging.package.levelName + "_" + reference;
  if (judging.package.format == PackageFormat::StripEd && !judging.package.levelName.empty() &&
      key.size() > STRINGS_MAX_KEY) {
    return "the game cuts the key " + ShowBytes(judging, key) + " (" +
           std::to_string(key.size()) + " characters) to 63, so this line is never found";
  }
  return "";
}

// The caption as the game keeps it: 8,191 bytes and 32 lines at most.
void CheckCaptionLength(Judging* judging, const VoiceLine& voice, const std::string& bytes) {
  size_t shown = std::min(bytes.size(), STRINGS_CAPTION_BYTES);
  size_t lines = 1;
  for (size_t at = 0; at < shown; ++at) {
    if (bytes[at] == '\n' && ++lines > STRINGS_CAPTION_LINES) shown = at;
  }
  if (shown == bytes.size()) return;
  const std::string shownText = ToUtf8(*judging, bytes.substr(0, shown));
  Report(judging, voice.line,
         EscapeControlBytes(voice.reference) + ": the caption holds " +
             std::to_string(STRINGS_CAPTION_LINES) + " lines and " +
             std::to_string(STRINGS_CAPTION_BYTES) + " bytes at most: the game shows " +
             std::to_string(CountUtf8Characters(shownText)) + " of its " +
             std::to_string(CountUtf8Characters(voice.text)) + " characters",
         ReportKind::Warning);
}

// The text as the player sees it; told when the game draws it otherwise than written.
std::string ShowCaption(Judging* judging, const VoiceLine& voice, const std::string& bytes) {
  const bool asian = IsAsian(judging->package.language);
  const bool beyondAscii = std::any_of(bytes.begin(), bytes.end(),
                                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  if (judging->utf8 && !asian && beyondAscii) {
    Report(judging, voice.line,
           EscapeControlBytes(voice.reference) +
               ": the text is UTF-8, and the game draws one sign per byte: each letter beyond "
               "ASCII shows as two signs; save as Windows-1252",
           ReportKind::Warning);
  }
  return asian && judging->utf8 ? bytes : FromWindows1252(bytes);
}

// A line without a file, and why, told as kind says.
void GiveNoFile(Judging* judging, VoiceLine* voice, const std::string& why, ReportKind kind) {
  voice->noFile = why;
  Report(judging, voice->line, EscapeControlBytes(voice->reference) + ": " + why, kind);
}

// A line the game finds: its file, or why it gets none.
void JudgeFoundLine(Judging* judging, const ReadReference& read, VoiceLine* voice) {
  const std::string problem = CheckReference(*judging, read.reference);
  if (!problem.empty()) return GiveNoFile(judging, voice, problem, ReportKind::SkipsLine);
  if (read.text.empty()) {
    return GiveNoFile(judging, voice, "no text yet, so no file", ReportKind::Warning);
  }
  const std::string shownReference = ShowBytes(*judging, read.reference);
  voice->fileName = ToUtf8(*judging, FindPlayedName(read.reference));
  voice->text = ShowCaption(judging, *voice, read.text);
  CheckCaptionLength(judging, *voice, read.text);
  if (read.reference.find('.') != std::string::npos) {
    Report(judging, read.line,
           shownReference + ": a script plays it as " + LowerAscii(shownReference) +
               ".mp3, and the game then plays " + EscapeControlBytes(voice->fileName) +
               " for it: written as " + EscapeControlBytes(voice->fileName),
           ReportKind::Warning);
  }
}

void JudgeLine(Judging* judging, const ReadReference& read) {
  VoiceLine voice;
  voice.line = read.line;
  voice.reference = ToUtf8(*judging, read.reference);
  if (read.found) {
    JudgeFoundLine(judging, read, &voice);
  } else if (read.laterLine) {
    const std::string later = std::to_string(read.laterLine);
    GiveNoFile(judging, &voice,
               "line " + later + " names it too, and the game shows line " + later +
                   "'s text for both",
               ReportKind::Warning);
  } else {
    GiveNoFile(judging, &voice, read.lost, ReportKind::SkipsLine);
  }
  judging->package.lines.push_back(voice);
}

// Two lines whose files are one: neither gets it, as either would take the other's.
void DropSharedFiles(Judging* judging) {
  std::map<std::string, std::vector<size_t>> byFile;
  std::vector<VoiceLine>& lines = judging->package.lines;
  for (size_t index = 0; index < lines.size(); ++index) {
    if (lines[index].noFile.empty()) byFile[lines[index].fileName].push_back(index);
  }
  for (const auto& [file, sharing] : byFile) {
    if (sharing.size() < 2) continue;
    for (size_t index : sharing) {
      const VoiceLine& other = lines[sharing[sharing[0] == index ? 1 : 0]];
      GiveNoFile(judging, &lines[index],
                 "line " + std::to_string(other.line) + "'s " +
                     EscapeControlBytes(other.reference) + " comes to the same file, " +
                     EscapeControlBytes(file) + ": neither gets one",
                 ReportKind::SkipsLine);
    }
  }
}

// Jedi Academy plays ms_ files for a female player where a male one hears mr_ files.
void CheckPlayerTwins(Judging* judging) {
  std::map<std::string, int> references;
  for (const VoiceLine& voice : judging->package.lines) {
    if (voice.noFile.empty()) references[voice.reference] = voice.line;
  }
  for (const VoiceLine& voice : judging->package.lines) {
    if (!voice.noFile.empty()) continue;
    const bool male = StartsWithNoCase(voice.reference, STRINGS_MALE_PREFIX);
    const bool female = StartsWithNoCase(voice.reference, STRINGS_FEMALE_PREFIX);
    if (!male && !female) continue;
    const std::string twin =
        (male ? STRINGS_FEMALE_PREFIX : STRINGS_MALE_PREFIX) + voice.reference.substr(3);
    if (references.count(twin)) continue;
    Report(judging, voice.line,
           EscapeControlBytes(voice.reference) + " has no " + EscapeControlBytes(twin) +
               " line: " + (male ? "a female" : "a male") + " player hears " +
               LowerAscii(EscapeControlBytes(twin)) + ".mp3, with no caption",
           ReportKind::Warning);
  }
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

StringPackage ReadStringPackage(const std::string& bytes, const PackageSource& source) {
  Judging judging{source, IsUtf8(bytes), StringPackage()};
  StringPackage& package = judging.package;
  const ByteOrderMark mark = FindByteOrderMark(bytes);
  if (mark == ByteOrderMark::Utf16LittleEndian || mark == ByteOrderMark::Utf16BigEndian) {
    Report(&judging, 1, "UTF-16 text, which the game does not read: save the package as ANSI",
           ReportKind::RefusesPackage);
    package.languages = {package.language};
    return package;
  }
  const std::vector<PackageLine> lines = SplitPackageLines(bytes);
  package.format = DetectFormat(lines, source.path);
  const bool stripEd = package.format == PackageFormat::StripEd;
  package.language = source.languageGiven || stripEd ? source.language
                                                     : FindFolderLanguage(source.path);
  const GameReading reading = stripEd ? ReadStripEdPackage(lines, package.language, judging.utf8)
                                      : ReadStringEdPackage(lines, package.language, judging.utf8);
  package.levelName = FindLevelName(source.path, reading);
  for (int index = 0; index < STRINGS_LANGUAGE_COUNT; ++index) {
    const auto language = static_cast<PackageLanguage>(index);
    const bool offered = reading.hasTexts[index] || language == package.language;
    if (language == PackageLanguage::English || offered) {
      package.languages.push_back(language);
    }
  }
  package.reports = reading.reports;
  // A refused package's reports are told in line order too.
  if (!IsPackageRefused(package)) {
    if (stripEd) CheckHeaderReference(&judging, reading);
    for (const ReadReference& read : reading.references) JudgeLine(&judging, read);
    DropSharedFiles(&judging);
    if (!stripEd) CheckPlayerTwins(&judging);
  }
  std::stable_sort(package.reports.begin(), package.reports.end(),
                   [](const PackageReport& a, const PackageReport& b) { return a.line < b.line; });
  return package;
}

bool IsPackageRefused(const StringPackage& package) {
  return std::any_of(package.reports.begin(), package.reports.end(), [](const PackageReport& report) {
    return report.kind == ReportKind::RefusesPackage;
  });
}

size_t CountSkippedLines(const std::vector<PackageReport>& reports) {
  return static_cast<size_t>(
      std::count_if(reports.begin(), reports.end(),
                    [](const PackageReport& report) { return report.kind == ReportKind::SkipsLine; }));
}
