// String packages from anywhere: whatever a package holds, every voice line the reader
// gives is in package order, a line with a file has a text and a name a file can have, no
// two lines share a file, a refused package gives none, and its reports come in line order.
// The level made of it times every line within the lengths a file may have.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "fuzz/fuzz_check.h"
#include "generator/hushmaker.h"
#include "strings/level.h"
#include "strings/reading_time.h"
#include "strings/string_package.h"

namespace {

// The path comes from the first byte, so that each format is reached by its extension as
// well as by its content, and a StringEd file in each way its language is found.
const char* const FUZZ_PATHS[] = {"strip/mymap.sp", "strings/english/mymap.str",
                                  "strings/french/mymap.str", ""};

int CountLines(const std::string& text) {
  int lines = 1;
  for (char c : text) lines += c == '\n';
  return lines;
}

void CheckFileLine(const VoiceLine& line) {
  FUZZ_CHECK(!line.text.empty());
  FUZZ_CHECK(!line.reference.empty());
  FUZZ_CHECK(line.fileName.size() > 4 &&
             line.fileName.compare(line.fileName.size() - 4, 4, ".mp3") == 0);
  for (char c : line.fileName) {
    const unsigned char byte = static_cast<unsigned char>(c);
    FUZZ_CHECK(byte >= 0x20 && byte != 0x7F);
    FUZZ_CHECK(std::string("/\\:*?\"<>|").find(c) == std::string::npos);
    FUZZ_CHECK(!(c >= 'A' && c <= 'Z'));
  }
}

void CheckPackage(const StringPackage& package, int lineCount) {
  std::set<std::string> files;
  int previous = 0;
  for (const VoiceLine& line : package.lines) {
    FUZZ_CHECK(line.line > previous && line.line <= lineCount);
    previous = line.line;
    if (!line.noFile.empty()) continue;
    FUZZ_CHECK(!IsPackageRefused(package));
    CheckFileLine(line);
    FUZZ_CHECK(files.insert(line.fileName).second);
  }
  previous = 1;
  for (const PackageReport& report : package.reports) {
    FUZZ_CHECK(report.line >= previous && report.line <= lineCount);
    previous = report.line;
    FUZZ_CHECK(!report.text.empty());
  }
  FUZZ_CHECK(CountSkippedLines(package.reports) <= package.reports.size());
}

void CheckLevel(const uint8_t* data, size_t size, const StringPackage& package) {
  LevelTiming timing;
  if (size > 1) timing.cps = data[1] % READING_MAX_CPS + READING_MIN_CPS;
  if (size > 2) timing.minSeconds = data[2] * 113 % SILENCE_MAX_SECONDS + 1;
  // A folder that does not exist: nothing is looked at on the disk.
  const Level level = OpenLevel(package, "\\nowhere\\sound\\chars\\jaden_male\\", timing);
  FUZZ_CHECK(level.lines.size() == package.lines.size());
  for (const LevelLine& line : level.lines) {
    FUZZ_CHECK(line.seconds >= timing.minSeconds && line.seconds <= SILENCE_MAX_SECONDS);
    FUZZ_CHECK(line.seconds == SILENCE_MAX_SECONDS ||
               static_cast<long long>(line.seconds) * timing.cps >= line.characters);
    FUZZ_CHECK(line.noFile.empty() ? !line.files.empty() : line.files.empty());
    for (const LevelFile& file : line.files) FUZZ_CHECK(!file.exists);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  PackageSource source;
  source.path = FUZZ_PATHS[size > 0 ? data[0] % 4 : 0];
  const StringPackage package = ReadStringPackage(text, source);
  CheckPackage(package, CountLines(text));
  CheckLevel(data, size, package);
  return 0;
}
