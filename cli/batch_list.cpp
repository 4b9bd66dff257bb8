// Lengths and batch lists as the command line reads them.
#include "cli/batch_list.h"

#include <algorithm>
#include <map>

#include "generator/generate_command.h"
#include "generator/hushmaker.h"
#include "platform/platform.h"

namespace {

constexpr const char* BATCH_BLANKS = " \t";
constexpr int BATCH_MAX_FIELDS = 3;  // H:MM:SS
constexpr int BATCH_FIELD_BASE = 60;
// Digits beyond this change nothing: the length is already too long.
constexpr long long BATCH_FIELD_CAP = 1000000000LL;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string DescribeBadLength(const std::string& text) {
  return "\"" + text +
         "\" is not a length: give whole seconds (90), M:SS (1:30) or H:MM:SS (1:00:00)";
}

// The problem with a name from a list, or an empty text when it can be written.
std::string CheckName(const std::string& native, std::string* own) {
  if (native.empty()) return "no file name after the length";
  if (native.find('\0') != std::string::npos) return "the name holds a zero byte";
  // Refused here, not by the writer halfway through the list.
  if (HasControlCharacter(native.c_str())) {
    return "the name holds a control character (a tab, for instance)";
  }
  if (!ToProgramPath(native.c_str(), own)) {
    return "the name holds a backslash, which cannot be written here; use / between folders";
  }
  return "";
}

}  // namespace

bool ParseLength(const std::string& text, int* seconds, std::string* problem) {
  long long total = 0;
  int fields = 0;
  size_t start = 0;
  while (true) {
    const size_t colon = text.find(':', start);
    const std::string field =
        text.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    ++fields;
    const bool after_colon = fields > 1;
    if (field.empty() || fields > BATCH_MAX_FIELDS || (after_colon && field.size() != 2)) {
      *problem = DescribeBadLength(text);
      return false;
    }
    long long value = 0;
    for (char c : field) {
      if (!IsDigit(c)) {
        *problem = DescribeBadLength(text);
        return false;
      }
      value = std::min(value * 10 + (c - '0'), BATCH_FIELD_CAP);
    }
    if (after_colon && value >= BATCH_FIELD_BASE) {
      *problem = DescribeBadLength(text);
      return false;
    }
    total = total * BATCH_FIELD_BASE + value;
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  if (total == 0) {
    *problem = "a length of 0 seconds makes no file";
    return false;
  }
  if (total > SILENCE_MAX_SECONDS) {
    *problem = "\"" + text + "\" is longer than " + std::to_string(SILENCE_MAX_SECONDS) +
               " seconds, the most a file can have";
    return false;
  }
  *seconds = static_cast<int>(total);
  return true;
}

BatchList ParseBatchList(const std::string& text) {
  BatchList list;
  std::map<std::string, int> first_line_of_file;
  size_t start = 0;
  for (int line = 1; start < text.size(); ++line) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string content = text.substr(start, end - start);
    start = end + 1;

    const size_t last = content.find_last_not_of(" \t\r");
    content.resize(last == std::string::npos ? 0 : last + 1);
    const size_t first = content.find_first_not_of(BATCH_BLANKS);
    if (first == std::string::npos || content[first] == '#') continue;

    const size_t length_end = content.find_first_of(BATCH_BLANKS, first);
    const std::string length = content.substr(first, length_end - first);
    const size_t name_start = content.find_first_not_of(BATCH_BLANKS, length_end);
    const std::string name = name_start == std::string::npos ? "" : content.substr(name_start);

    BatchEntry entry = {line, 0, ""};
    std::string problem;
    if (length.find_first_of("0123456789") == std::string::npos) {
      problem = "no length: a line is SECONDS NAME";
    } else if (ParseLength(length, &entry.seconds, &problem)) {
      problem = CheckName(name, &entry.name);
    }
    if (problem.empty()) {
      const std::string file = ComposeTargetPath(nullptr, entry.name.c_str());
      const auto [earlier, is_new] = first_line_of_file.emplace(FileNameKey(file), line);
      if (!is_new) {
        problem = "makes the same file as line " + std::to_string(earlier->second) + ": " +
                  NativePath(MakeMP3FileName(entry.name.c_str()).c_str());
      }
    }
    if (problem.empty()) {
      list.entries.push_back(entry);
    } else {
      list.problems.push_back({line, problem});
    }
  }
  return list;
}
