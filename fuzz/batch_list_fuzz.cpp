// Batch lists from anywhere: whatever a list holds, the reader gives only entries the
// writer can make, one file each, and accounts for every line that is not blank or a
// comment.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "cli/batch_list.h"
#include "fuzz/fuzz_check.h"
#include "generator/generate_command.h"
#include "generator/hushmaker.h"
#include "platform/platform.h"

namespace {

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::string DropTrailing(std::string line) {
  const size_t last = line.find_last_not_of(" \t\r");
  line.resize(last == std::string::npos ? 0 : last + 1);
  return line;
}

// What the header promises to skip: nothing but blanks, or '#' as the first non-blank.
bool IsSkipped(const std::string& line) {
  const std::string kept = DropTrailing(line);
  const size_t first = kept.find_first_not_of(" \t");
  return first == std::string::npos || kept[first] == '#';
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

void CheckEntry(const BatchEntry& entry, const std::string& line) {
  FUZZ_CHECK(entry.seconds >= 1 && entry.seconds <= SILENCE_MAX_SECONDS);
  FUZZ_CHECK(!entry.name.empty());
  for (char c : entry.name) {
    const unsigned char byte = static_cast<unsigned char>(c);
    // The writer refuses control bytes; the name rules find folders by backslashes only,
    // so a '/' left in the program's own form would count "a.b/c" as "a" + ".b/c".
    FUZZ_CHECK(byte >= 0x20 && byte != 0x7F);
    FUZZ_CHECK(c != '/');
  }
  FUZZ_CHECK(entry.name.front() != ' ' && entry.name.front() != '\t');
  FUZZ_CHECK(entry.name.back() != ' ' && entry.name.back() != '\t');
  // The name is the one on its line, as typed.
  const std::string native = NativePath(entry.name.c_str());
  FUZZ_CHECK(EndsWith(DropTrailing(line), native));
  std::string own;
  FUZZ_CHECK(ToProgramPath(native.c_str(), &own) && own == entry.name);
}

bool IsSameList(const BatchList& a, const BatchList& b) {
  return std::equal(a.entries.begin(), a.entries.end(), b.entries.begin(), b.entries.end(),
                    [](const BatchEntry& x, const BatchEntry& y) {
                      return x.line == y.line && x.seconds == y.seconds && x.name == y.name;
                    }) &&
         std::equal(a.problems.begin(), a.problems.end(), b.problems.begin(), b.problems.end(),
                    [](const BatchProblem& x, const BatchProblem& y) {
                      return x.line == y.line && x.text == y.text;
                    });
}

std::string WithCrLf(const std::string& text) {
  std::string crlf;
  for (char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  return crlf;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> lines = SplitLines(text);
  const BatchList list = ParseBatchList(text);

  std::vector<int> seen(lines.size() + 1, 0);
  std::set<std::string> files;
  int previous = 0;
  for (const BatchEntry& entry : list.entries) {
    FUZZ_CHECK(entry.line > previous && entry.line <= static_cast<int>(lines.size()));
    previous = entry.line;
    ++seen[entry.line];
    CheckEntry(entry, lines[entry.line - 1]);
    const std::string file = FileNameKey(ComposeTargetPath(nullptr, entry.name.c_str()));
    FUZZ_CHECK(files.insert(file).second);
  }
  previous = 0;
  for (const BatchProblem& problem : list.problems) {
    FUZZ_CHECK(problem.line > previous && problem.line <= static_cast<int>(lines.size()));
    previous = problem.line;
    ++seen[problem.line];
    FUZZ_CHECK(!problem.text.empty());
  }
  for (size_t line = 1; line <= lines.size(); ++line) {
    FUZZ_CHECK(seen[line] == (IsSkipped(lines[line - 1]) ? 0 : 1));
  }

  // A list saved with Windows line ends reads the same, texts and all.
  FUZZ_CHECK(IsSameList(ParseBatchList(WithCrLf(text)), list));
  return 0;
}
