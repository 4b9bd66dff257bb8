// Within strings/ only: what the StripEd and StringEd readers share and hand back, and the
// text helpers of the package and level code. Each
// reader follows its game's own reading of a package, byte for byte; string_package.cpp
// then judges each line the game found.
#pragma once

#include <string>
#include <vector>

#include "strings/string_package.h"

// One line of a package's bytes, without its '\n'.
struct PackageLine {
  int number;  // counted from 1
  std::string text;
  bool endsWithLineBreak;  // false for a last line without one
};

// A REFERENCE line of a line entry as the author wrote it, and what the game made of it.
struct ReadReference {
  int line = 0;
  std::string reference;  // the package's bytes, as the game keeps them
  bool found = false;     // the game finds the line and shows `text`
  std::string text;       // the bytes the game shows, cleaned as it cleans them
  int laterLine = 0;      // not found: a later line names the same reference, and wins
  std::string lost;       // not found, and no later line: why, in the game's terms
};

struct GameReading {
  std::vector<ReadReference> references;  // in package order
  std::vector<PackageReport> reports;     // about the package as a whole
  bool countReached = false;              // StripEd: the game read as far as COUNT
  bool headerReferenceSeen = false;       // StripEd: the header names the package
  std::string headerReference;            // its bytes, as the game keeps the last one
  int headerReferenceLine = 0;
  bool hasTexts[STRINGS_LANGUAGE_COUNT] = {};  // the languages the package has texts in

  void Refuse(int line, std::string text);
  void Warn(int line, std::string text);
};

// The lines of a package's bytes: each ends at a '\n' or at the end of the bytes.
std::vector<PackageLine> SplitPackageLines(const std::string& bytes);

// A text with each "\n" (a backslash and an n, as the editors write it) made a line break.
std::string ConvertLineBreaks(const std::string& text);

// The bytes of a text as the game shows it in a Western language: the editors' curly
// quotes and apostrophes (0x91 to 0x94), dashes (0x96, 0x97) and 0x0B made plain, "?."
// made "? " and tabs spaces. The ellipsis 0x85 becomes one dot, or three with
// threeDotEllipsis.
std::string CleanGameText(std::string text, bool threeDotEllipsis);

// The languages' names in lower case, in PackageLanguage's order; a StringEd text's
// keyword is LANG_ and the name.
extern const char* const STRINGS_LANGUAGE_NAMES[STRINGS_LANGUAGE_COUNT];

// Text with its ASCII letters in lower or upper case, as the games change case.
std::string LowerAscii(std::string text);
std::string UpperAscii(std::string text);

// The names of a path, split at each '/' and '\\'.
std::vector<std::string> SplitPathNames(const std::string& path);

// Whether text starts with prefix, or equals word, ASCII letters compared without case as
// the games compare them.
bool StartsWithNoCase(const std::string& text, const std::string& prefix);
bool EqualsNoCase(const std::string& text, const std::string& word);

// The leading whole number of text as C's atol reads one: blanks, a sign and digits; 0
// when there is none.
long long ReadLeadingNumber(const std::string& text);

// A text for a report: control bytes escaped, and bytes beyond ASCII shown as the
// package's encoding has them.
std::string ShowPackageText(const std::string& bytes, bool utf8);

GameReading ReadStripEdPackage(const std::vector<PackageLine>& lines, PackageLanguage language,
                               bool utf8);
GameReading ReadStringEdPackage(const std::vector<PackageLine>& lines, PackageLanguage language,
                                bool utf8);
