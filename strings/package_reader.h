// Within strings/ only: what the StripEd and StringEd readers share and hand back. The
// readers know each format's lines; string_package.cpp checks what they found.
#pragma once

#include <string>
#include <vector>

#include "strings/string_package.h"

// One line of a package, in UTF-8, without its '\n'.
struct PackageLine {
  int number;  // counted from 1
  std::string text;
};

// A line entry as a reader found it, before its reference and texts are checked.
struct RawEntry {
  int line = 0;           // where the entry begins
  int referenceLine = 0;  // 0: the entry has no REFERENCE
  std::string reference;
  std::string texts[STRINGS_LANGUAGE_COUNT];  // empty: none
};

struct RawPackage {
  std::vector<RawEntry> entries;       // in package order
  std::vector<PackageReport> reports;  // every one refuses the package

  void Refuse(int line, std::string text);
};

// The lines of a package's text: each ends at a '\n' or at the end of the text.
std::vector<PackageLine> SplitPackageLines(const std::string& text);

// A text with each "\n" (a backslash and an n, as the editors write it) made a line break.
std::string ConvertLineBreaks(const std::string& text);

// The languages' names in lower case, in PackageLanguage's order; a StringEd text's
// keyword is LANG_ and the name.
extern const char* const STRINGS_LANGUAGE_NAMES[STRINGS_LANGUAGE_COUNT];

// Whether text starts with prefix, or equals word, ASCII letters compared without case as
// the games compare them.
bool StartsWithNoCase(const std::string& text, const std::string& prefix);
bool EqualsNoCase(const std::string& text, const std::string& word);

// The leading whole number of text as the games read one: blanks, a sign and digits;
// 0 when there is none.
long long ReadLeadingNumber(const std::string& text);

// Text as a report shows it: control characters written as \xNN, so that what a
// terminal prints is what the package holds.
std::string ShowText(const std::string& text);

RawPackage ReadStripEdPackage(const std::vector<PackageLine>& lines);
RawPackage ReadStringEdPackage(const std::vector<PackageLine>& lines);
