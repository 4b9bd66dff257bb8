// Voice lines from a level's string package, read as the games read them: Jedi Outcast's
// StripEd packages (strip/LEVEL.sp) and Jedi Academy's StringEd files
// (strings/LANGUAGE/LEVEL.str). The game finds a voice line's text by the voice file's
// base name in capitals, so each line's file is named after its reference.
#pragma once

#include <string>
#include <vector>

// The languages of a package's texts, in StripEd's order (TEXT_LANGUAGE1 is English).
enum class PackageLanguage {
  English,
  French,
  German,
  British,
  Korean,
  Taiwanese,
  Italian,
  Spanish,
  Japanese,
};
constexpr int STRINGS_LANGUAGE_COUNT = 9;

// The language called name ("english", "French", any case). False for any other name.
bool FindPackageLanguage(const std::string& name, PackageLanguage* language);

// The name of language in lower case ("english").
const char* GetPackageLanguageName(PackageLanguage language);

// The names FindPackageLanguage takes, in lower case, separated by ", ".
std::string ListPackageLanguages();

// A line of the package that gets a voice file.
struct VoiceLine {
  int line;               // of its REFERENCE, counted from 1
  std::string reference;  // in UTF-8
  std::string fileName;   // the reference in lower case (ASCII letters) with ".mp3"
  std::string text;       // what the game shows, in UTF-8; '\n' is a line break
};

// Something the package holds that its reader must be told.
struct PackageReport {
  int line;  // counted from 1
  std::string text;
  bool refusesPackage;  // false: only the line it names gets no file
};

struct StringPackage {
  std::vector<VoiceLine> lines;        // in package order
  std::vector<PackageReport> reports;  // in line order
};

// Reads a whole package. Its format is told by its content (INDEX and { } blocks or
// TEXT_LANGUAGE texts: StripEd; ENDMARKER or LANG_ texts: StringEd), else by name's
// extension (.sp or .str), else it is taken for StringEd. Text that is valid UTF-8 is read as
// UTF-8, any other as Windows-1252. Each line takes its text in language, else its English text. A
// line without either is reported and gets no file. Everything that would have the game read the
// package otherwise than as written, or that cannot name a file on Windows and Linux, refuses the
// package: then its lines are not to be written at all.
StringPackage ReadStringPackage(const std::string& bytes, const std::string& name,
                                PackageLanguage language);

// True when a report refuses the package.
bool IsPackageRefused(const StringPackage& package);
