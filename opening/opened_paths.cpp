// Paths from a drop's text, and what each path given to the window opens.
#include "opening/opened_paths.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "checker/check_report.h"
#include "checker/voice_check.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* OPEN_FILE_SCHEME = "file://";
constexpr const char* OPEN_LOCAL_HOST = "localhost";
constexpr size_t OPEN_HEAD_BYTES = 64;  // enough for a mark, blank lines and "VERSION 1"
constexpr size_t OPEN_TITLE_NAMES = 3;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A % not followed by two hexadecimal digits stays as it is.
std::string DecodePercents(const std::string& text) {
  std::string decoded;
  for (size_t at = 0; at < text.size(); ++at) {
    const int high = text[at] == '%' && at + 2 < text.size() ? HexValue(text[at + 1]) : -1;
    const int low = high >= 0 ? HexValue(text[at + 2]) : -1;
    if (low < 0) {
      decoded += text[at];
      continue;
    }
    decoded += static_cast<char>(high * 16 + low);
    at += 2;
  }
  return decoded;
}

// A file URI's local path: file:///p and file://localhost/p. Another host's file, or a
// line that is no file URI, stays as it is.
std::string ReadFileUri(const std::string& line) {
  const size_t schemeLength = std::strlen(OPEN_FILE_SCHEME);
  if (line.compare(0, schemeLength, OPEN_FILE_SCHEME) != 0) return line;
  const size_t pathStart = line.find('/', schemeLength);
  if (pathStart == std::string::npos) return line;
  const std::string host = line.substr(schemeLength, pathStart - schemeLength);
  if (!host.empty() && host != OPEN_LOCAL_HOST) return line;
  return DecodePercents(line.substr(pathStart));
}

bool HasExtension(const std::string& path, const char* wanted) {
  std::string extension = fs::u8path(path).extension().u8string();
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return extension == wanted;
}

// Both editors' packages begin with VERSION, after a UTF-8 mark and blank lines.
bool BeginsAsPackage(const std::string& head) {
  size_t at = head.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  at = head.find_first_not_of(" \t\r\n", at);
  if (at == std::string::npos) return false;
  const std::string keyword = "VERSION";
  for (size_t i = 0; i < keyword.size(); ++i) {
    const char c = at + i < head.size() ? head[at + i] : '\0';
    if ((c & ~0x20) != keyword[i]) return false;
  }
  const size_t after = at + keyword.size();
  return after < head.size() && (head[after] == ' ' || head[after] == '\t');
}

OpenedPath Refuse(const std::string& path, const std::string& reason) {
  return {path, OpenedKind::Refused, reason};
}

}  // namespace

std::vector<std::string> ReadDroppedPaths(const std::string& text) {
  std::vector<std::string> paths;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    paths.push_back(ReadFileUri(line));
  }
  return paths;
}

OpenedPath SortOpenedPath(const std::string& path) {
  std::error_code error;
  const fs::file_status status = fs::status(fs::u8path(path), error);
  // A voice file the check cannot read is told in its row, as --check tells it.
  if (error && IsVoiceFileName(path)) return {path, OpenedKind::VoiceFile, ""};
  if (error) return Refuse(path, "cannot be read: " + error.message());
  if (fs::is_directory(status)) return {path, OpenedKind::VoiceFolder, ""};
  if (!fs::is_regular_file(status)) return Refuse(path, "neither a file nor a folder");
  if (HasExtension(path, ".sp") || HasExtension(path, ".str")) {
    return {path, OpenedKind::StringPackage, ""};
  }
  if (IsVoiceFileName(path)) return {path, OpenedKind::VoiceFile, ""};

  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return Refuse(path, std::string("cannot be read: ") + std::strerror(errno));
  char head[OPEN_HEAD_BYTES];
  const size_t got = std::fread(head, 1, sizeof head, file);
  const bool failed = std::ferror(file) != 0;
  const int reason = errno;
  std::fclose(file);
  if (failed) return Refuse(path, std::string("cannot be read: ") + std::strerror(reason));
  if (BeginsAsPackage(std::string(head, got))) return {path, OpenedKind::StringPackage, ""};
  return Refuse(path, "neither a string package (.sp, .str) nor a voice file (.mp3, .wav)");
}

OpenPlan PlanOpening(const std::vector<std::string>& paths) {
  std::vector<OpenedPath> packages, voices;
  OpenPlan plan;
  int folders = 0;
  for (const std::string& path : paths) {
    OpenedPath sorted = SortOpenedPath(path);
    if (sorted.kind == OpenedKind::Refused) {
      plan.refused.push_back(sorted);
    } else if (sorted.kind == OpenedKind::StringPackage) {
      packages.push_back(sorted);
    } else {
      folders += sorted.kind == OpenedKind::VoiceFolder;
      voices.push_back(sorted);
    }
  }
  // The level's own voice folder came with it.
  const bool levelFolder = !packages.empty() && voices.size() == 1 && folders == 1;
  for (const OpenedPath& package : packages) {
    plan.levels.push_back({package.path, levelFolder ? voices[0].path : ""});
  }
  if (levelFolder) return plan;
  for (const OpenedPath& voice : voices) {
    if (voice.kind == OpenedKind::VoiceFolder) {
      const VoiceFolder listed = ListVoiceFiles(voice.path);
      if (listed.files.empty() && listed.failures.empty()) {
        plan.refused.push_back(Refuse(voice.path, "a folder without voice files (.mp3, .wav)"));
        continue;
      }
    }
    plan.checked.push_back(voice.path);
  }
  return plan;
}

std::string ComposeOpenedTitle(const std::vector<std::string>& paths) {
  std::string title;
  for (size_t i = 0; i < paths.size() && i < OPEN_TITLE_NAMES; ++i) {
    title += (i ? ", " : "") + GetShownName(paths[i]);
  }
  if (paths.size() > OPEN_TITLE_NAMES) {
    title += " and " + std::to_string(paths.size() - OPEN_TITLE_NAMES) + " more";
  }
  return title;
}

bool ReadOpenedFile(const std::string& path, size_t maxBytes, std::string* bytes,
                    std::string* reason) {
  bytes->clear();
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    *reason = std::strerror(errno);
    return false;
  }
  char block[65536];
  size_t got = 0;
  while ((got = std::fread(block, 1, sizeof block, file)) > 0 && bytes->size() <= maxBytes) {
    bytes->append(block, std::min(got, maxBytes + 1 - bytes->size()));
  }
  const bool failed = std::ferror(file) != 0;
  const int error = errno;
  std::fclose(file);
  if (failed) {
    *reason = std::strerror(error);
  } else if (bytes->size() > maxBytes) {
    *reason = "it holds more than " + std::to_string(maxBytes) + " bytes, which no string package does";
  } else {
    return true;
  }
  bytes->clear();
  return false;
}
