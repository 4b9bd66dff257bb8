// Lengths and batch lists as the command line reads them.
#include "cli/batch_list.h"

#include <algorithm>
#include <map>

#include "generator/generate_command.h"
#include "generator/hushmaker.h"
#include "platform/platform.h"
#include "support/text_rules.h"

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

// Never part of UTF-8: what broken UTF-16 becomes, so that its line is refused.
constexpr char BATCH_NOT_UTF8 = '\xFF';

// The UTF-16 text after the two bytes of its mark.
std::string FromUtf16(const std::string& bytes, bool bigEndian) {
  const auto unitAt = [&](size_t i) {
    const unsigned first = static_cast<unsigned char>(bytes[i]);
    const unsigned second = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? first << 8 | second : second << 8 | first;
  };
  std::string text;
  for (size_t i = 2; i < bytes.size(); i += 2) {
    if (i + 1 == bytes.size()) {
      text += BATCH_NOT_UTF8;  // half a unit
      break;
    }
    const unsigned unit = unitAt(i);
    const bool high = unit >= 0xD800 && unit < 0xDC00;
    const unsigned next = i + 3 < bytes.size() ? unitAt(i + 2) : 0;
    if (high && next >= 0xDC00 && next < 0xE000) {
      AppendUtf8(0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00), &text);
      i += 2;
    } else if (unit >= 0xD800 && unit < 0xE000) {
      text += BATCH_NOT_UTF8;
    } else {
      AppendUtf8(unit, &text);
    }
  }
  return text;
}

// The problem with a name from a list, or an empty text when it can be written.
std::string CheckName(const std::string& native, const char* directory, std::string* own) {
  if (native.empty()) return "no file name after the length";
  if (native.find('\0') != std::string::npos) return "the name holds a zero byte";
  if (!ToProgramPath(native.c_str(), own)) {
    return "the name holds a backslash, which cannot be written here; use / between folders";
  }
  std::string problem;
  CheckFileName(directory, own->c_str(), &problem);
  return problem;
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
    const bool afterColon = fields > 1;
    if (field.empty() || fields > BATCH_MAX_FIELDS || (afterColon && field.size() != 2)) {
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
    if (afterColon && value >= BATCH_FIELD_BASE) {
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

std::string DecodeListText(const std::string& bytes) {
  const ByteOrderMark mark = FindByteOrderMark(bytes);
  switch (mark) {
    case ByteOrderMark::None:
      return bytes;
    case ByteOrderMark::Utf8:
      return bytes.substr(GetByteOrderMarkLength(mark));
    case ByteOrderMark::Utf16LittleEndian:
    case ByteOrderMark::Utf16BigEndian:
      break;
  }
  return FromUtf16(bytes, mark == ByteOrderMark::Utf16BigEndian);
}

BatchList ParseBatchList(const std::string& bytes, const char* directory) {
  const std::string text = DecodeListText(bytes);
  BatchList list;
  std::map<std::string, int> firstLineOfFile;
  size_t start = 0;
  for (int line = 1; start < text.size(); ++line) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    std::string content = text.substr(start, end - start);
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);

    const size_t last = content.find_last_not_of(BATCH_BLANKS);
    content.resize(last == std::string::npos ? 0 : last + 1);
    const size_t first = content.find_first_not_of(BATCH_BLANKS);
    if (first == std::string::npos || content[first] == '#') continue;

    const size_t lengthEnd = content.find_first_of(BATCH_BLANKS, first);
    const std::string length = content.substr(first, lengthEnd - first);
    const size_t nameStart = content.find_first_not_of(BATCH_BLANKS, lengthEnd);
    const std::string name = nameStart == std::string::npos ? "" : content.substr(nameStart);

    BatchEntry entry = {line, 0, ""};
    std::string problem;
    if (!IsUtf8(content)) {
      problem = "not UTF-8 text; save the list as UTF-8";
    } else if (length.find_first_of("0123456789") == std::string::npos) {
      problem = "no length: a line is SECONDS NAME";
    } else if (ParseLength(length, &entry.seconds, &problem)) {
      problem = CheckName(name, directory, &entry.name);
    }
    if (problem.empty()) {
      const std::string file = GetTargetFileKey(directory, entry.name.c_str());
      const auto [earlier, is_new] = firstLineOfFile.emplace(file, line);
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
