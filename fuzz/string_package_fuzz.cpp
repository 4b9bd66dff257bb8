// String packages from anywhere: whatever a package holds, the reader gives only lines
// whose files can be written, each file once, in package order; its reports come in line
// order; line ends and the chosen language change nothing they should not.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "fuzz/fuzz_check.h"
#include "generator/hushmaker.h"
#include "strings/reading_time.h"
#include "strings/string_package.h"

namespace {

// The file's name comes from the first byte, so that each format is reached by its
// extension as well as by its content.
const char* const FUZZ_NAMES[] = {"strip/mymap.sp", "strings/english/mymap.str", "-"};

int CountLines(const std::string& text) {
  int lines = 1;
  for (char c : text) lines += c == '\n';
  return lines;
}

std::string WithCrLf(const std::string& text) {
  std::string crlf;
  for (char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  return crlf;
}

bool IsSame(const StringPackage& a, const StringPackage& b) {
  if (a.lines.size() != b.lines.size() || a.reports.size() != b.reports.size()) return false;
  for (size_t index = 0; index < a.lines.size(); ++index) {
    const VoiceLine& x = a.lines[index];
    const VoiceLine& y = b.lines[index];
    if (x.line != y.line || x.reference != y.reference || x.fileName != y.fileName ||
        x.text != y.text) {
      return false;
    }
  }
  for (size_t index = 0; index < a.reports.size(); ++index) {
    const PackageReport& x = a.reports[index];
    const PackageReport& y = b.reports[index];
    if (x.line != y.line || x.text != y.text || x.refusesPackage != y.refusesPackage) return false;
  }
  return true;
}

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

void CheckLine(const VoiceLine& line, int lineCount) {
  FUZZ_CHECK(line.line >= 1 && line.line <= lineCount);
  FUZZ_CHECK(!line.text.empty());
  FUZZ_CHECK(!line.reference.empty());
  FUZZ_CHECK(line.fileName == LowerAscii(line.reference) + ".mp3");
  for (char c : line.fileName) {
    const unsigned char byte = static_cast<unsigned char>(c);
    FUZZ_CHECK(byte >= 0x20 && byte != 0x7F);
    FUZZ_CHECK(std::string("/\\:*?\"<>|").find(c) == std::string::npos);
  }
  const long long characters = CountReadCharacters(line.text);
  FUZZ_CHECK(characters >= 0 && characters <= static_cast<long long>(line.text.size()));
}

void CheckPackage(const StringPackage& package, int lineCount) {
  std::set<std::string> files;
  int previous = 0;
  for (const VoiceLine& line : package.lines) {
    CheckLine(line, lineCount);
    FUZZ_CHECK(line.line > previous);
    previous = line.line;
    FUZZ_CHECK(files.insert(line.fileName).second);
  }
  previous = 1;
  for (const PackageReport& report : package.reports) {
    FUZZ_CHECK(report.line >= previous && report.line <= lineCount);
    previous = report.line;
    FUZZ_CHECK(!report.text.empty());
  }
}

// A line with an English text has a text in every language.
void CheckLanguages(const std::string& text, const char* name, const StringPackage& english) {
  std::set<std::string> englishFiles;
  for (const VoiceLine& line : english.lines) englishFiles.insert(line.fileName);
  for (int index = 1; index < STRINGS_LANGUAGE_COUNT; ++index) {
    const StringPackage other = ReadStringPackage(text, name, static_cast<PackageLanguage>(index));
    FUZZ_CHECK(IsPackageRefused(other) == IsPackageRefused(english));
    std::set<std::string> otherFiles;
    for (const VoiceLine& line : other.lines) otherFiles.insert(line.fileName);
    for (const std::string& file : englishFiles) FUZZ_CHECK(otherFiles.count(file) == 1);
  }
}

void CheckReadingTime(const uint8_t* data, size_t size, long long characters) {
  const int cps = size > 1 ? data[1] % READING_MAX_CPS + READING_MIN_CPS : READING_DEFAULT_CPS;
  const int minSeconds =
      size > 2 ? data[2] * 113 % SILENCE_MAX_SECONDS + 1 : READING_DEFAULT_MIN_SECONDS;
  const int seconds = ComputeReadingSeconds(characters, cps, minSeconds);
  FUZZ_CHECK(seconds >= minSeconds && seconds <= SILENCE_MAX_SECONDS);
  FUZZ_CHECK(seconds == SILENCE_MAX_SECONDS || static_cast<long long>(seconds) * cps >= characters);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const char* name = FUZZ_NAMES[size > 0 ? data[0] % 3 : 0];
  const StringPackage english = ReadStringPackage(text, name, PackageLanguage::English);
  CheckPackage(english, CountLines(text));
  FUZZ_CHECK(IsSame(english, ReadStringPackage(WithCrLf(text), name, PackageLanguage::English)));
  CheckLanguages(text, name, english);
  for (const VoiceLine& line : english.lines)
    CheckReadingTime(data, size, CountReadCharacters(line.text));
  return 0;
}
