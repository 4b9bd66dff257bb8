// Voice lines from a level's string package, read as the games read them: Jedi Outcast's
// StripEd packages (strip/LEVEL.sp) and Jedi Academy's StringEd files
// (strings/LANGUAGE/LEVEL.str). The game finds a voice line's caption by the voice file's
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

// Which game reads the package, told by its format.
enum class PackageFormat { StripEd, StringEd };  // Jedi Outcast's, Jedi Academy's

// A voice line of the package: a line entry's REFERENCE line.
struct VoiceLine {
  int line = 0;           // of its REFERENCE, counted from 1
  std::string reference;  // in UTF-8
  std::string fileName;   // the file the game plays for it: "kyle_hi.mp3" for KYLE_HI
  std::string text;       // what the player sees, in UTF-8; '\n' is a line break
  std::string noFile;     // why it gets no voice file; empty when it gets one
};

enum class ReportKind {
  RefusesPackage,  // the game refuses the whole package: nothing is to be written
  SkipsLine,       // the game can never show the line: it gets no file
  Warning,         // told; a line named in it keeps or lacks its file as `lines` says
};

// Something the package holds that its reader must be told.
struct PackageReport {
  int line;  // counted from 1
  std::string text;
  ReportKind kind;
};

struct StringPackage {
  PackageFormat format = PackageFormat::StripEd;
  PackageLanguage language = PackageLanguage::English;  // the language it was read in
  // The languages it can be read in: English, those it has texts in, and the one it was
  // read in, in PackageLanguage's order.
  std::vector<PackageLanguage> languages;
  std::string levelName;  // the map's name, in capitals, that the game puts before a key
  std::vector<VoiceLine> lines;        // every voice line, in package order
  std::vector<PackageReport> reports;  // in line order
};

// How a package is to be read: its path as given (empty for standard input), and the
// language, which for a StringEd file is otherwise its folder's (strings/LANGUAGE/), else
// English.
struct PackageSource {
  std::string path;
  bool languageGiven = false;
  PackageLanguage language = PackageLanguage::English;
};

// Reads a whole package. Its format is told by its content (INDEX and { } blocks or
// TEXT_LANGUAGE texts: StripEd; ENDMARKER or LANG_ texts: StringEd), else by the path's
// extension (.sp or .str), else it is taken for StringEd. Texts are the package's bytes as
// the game cleans and draws them, shown in UTF-8; references and file names are read as
// UTF-8 where the package is, else as Windows-1252.
StringPackage ReadStringPackage(const std::string& bytes, const PackageSource& source);

// True when a report refuses the package.
bool IsPackageRefused(const StringPackage& package);

// How many of the reports tell of a line the game can never show.
size_t CountSkippedLines(const std::vector<PackageReport>& reports);
