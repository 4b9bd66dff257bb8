// The Generate command's window-free work: held length, prepared name, shown texts.
#include "generator/generate_command.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "generator/hushmaker.h"
#include "platform/platform.h"
#include "support/format_cut.h"
#include "support/message_box.h"
#include "support/path_helpers.h"

namespace {

constexpr const char* GENERATE_FORMAT_NAMED =
    "\n>>> Output file: \"%s.mp3\"\n>>> Target directory: \"%s\"";
constexpr const char* GENERATE_FORMAT_DEFAULT_NAME =
    "\n>>> Output file: \"blankfile.mp3\"\n>>> Target directory: \"%s\"";
constexpr const char* GENERATE_FORMAT_ONE_SECOND =
    "\n>>> Compilation has been successful :)\n>>> Elapsed time: %d second";
constexpr const char* GENERATE_FORMAT_SECONDS =
    "\n>>> Compilation has been successful :)\n>>> Elapsed time: %d seconds";
constexpr const char* GENERATE_MP3_EXTENSION = ".mp3";
constexpr const char* GENERATE_SOURCE = "generate_command";
constexpr const char* GENERATE_FORMAT_WARNING = "\n>>> %s";

void ReportUnheldChoice(const char* selection, DirectoryProblem problem) {
  if (problem == DirectoryProblem::HoldsBackslash) {
    ShowMessageBox(BOX_WARNING, GENERATE_SOURCE, __LINE__,
                   "cb_generate_i(): NormalizeDirectory() failure\n>>> A folder name in the "
                   "chosen target directory \"%s\" holds a backslash, which this program reads "
                   "as a separator; choose another directory",
                   selection);
  } else if (problem == DirectoryProblem::HoldsQuote) {
    ShowMessageBox(BOX_WARNING, GENERATE_SOURCE, __LINE__,
                   "cb_generate_i(): NormalizeDirectory() failure\n>>> The chosen target "
                   "directory \"%s\" holds a quote, which no name may hold here; choose "
                   "another directory",
                   selection);
  } else {
    ShowMessageBox(BOX_WARNING, GENERATE_SOURCE, __LINE__,
                   "cb_generate_i(): NormalizeDirectory() failure\n>>> The chosen target "
                   "directory is longer than %d characters; choose a shorter one",
                   static_cast<int>(IO_DIRECTORY_BLOCK_SIZE - 2));
  }
}

// The name of the file the writer makes, without its ".mp3".
std::string FileStem(const char* preparedName) {
  std::string file = MakeMP3FileName(preparedName);
  file.resize(file.size() - strlen(GENERATE_MP3_EXTENSION));
  return file;
}

}  // namespace

bool ReadTypedLength(const char* text, double* number) {
  const char* digit = text + (text[0] == '-' || text[0] == '+' ? 1 : 0);
  if (!*digit) return false;
  double magnitude = 0;
  for (; *digit; ++digit) {
    if (*digit < '0' || *digit > '9') return false;
    if (magnitude <= SILENCE_MAX_SECONDS) magnitude = magnitude * 10 + (*digit - '0');
  }
  *number = text[0] == '-' ? -magnitude : magnitude;
  return true;
}

int HoldSilenceSeconds(double value) {
  if (!(value > 0)) return 0;
  if (value >= SILENCE_MAX_SECONDS) return SILENCE_MAX_SECONDS;
  return static_cast<int>(value);
}

DirectoryProblem PrepareTargetDirectory(const char* native, std::string* own) {
  if (!native || !native[0]) return DirectoryProblem::Empty;
  if (!CanHoldNativePath(native)) return DirectoryProblem::HoldsBackslash;
  if (std::strchr(native, '"') && CheckSystemName("\"") != NameClash::Allowed) {
    return DirectoryProblem::HoldsQuote;
  }
  // The own form may add a backslash; the block must hold it and its terminating zero.
  if (strlen(native) >= IO_DIRECTORY_BLOCK_SIZE - 1) return DirectoryProblem::TooLong;
  if (!ToProgramPath(native, own)) return DirectoryProblem::HoldsBackslash;
  if (own->back() != '\\') *own += '\\';
  return DirectoryProblem::None;
}

bool TakeChosenDirectory(const char* selection, char* targetDir) {
  std::string own;
  const DirectoryProblem problem = PrepareTargetDirectory(selection, &own);
  if (problem == DirectoryProblem::Empty) return true;
  if (problem != DirectoryProblem::None) {
    ReportUnheldChoice(selection, problem);
    return false;
  }
  // A selection ending in the chooser's "." or ".." entry names the folder it was made in.
  char* normalized = NormalizeDirectory(selection, true);
  if (!normalized) {
    ShowMessageBox(BOX_ERROR, GENERATE_SOURCE, __LINE__, "%s", NORMALIZE_DIRECTORY_NO_MEMORY);
    return false;
  }
  snprintf(targetDir, IO_DIRECTORY_BLOCK_SIZE, "%s", normalized);
  FreeMemory(normalized);
  return true;
}

const char* ChooseRunDirectory(const char* targetDir, const char* startDir) {
  if (targetDir && targetDir[0]) return targetDir;
  if (startDir && startDir[0]) return startDir;
  // The start folder is empty when it could not be held whole; the file would go to a
  // folder that the announcement cannot name.
  ShowMessageBox(BOX_WARNING, GENERATE_SOURCE, __LINE__,
                 "cb_generate_i(): GetWorkingDirectory() failure\n>>> The folder Hushmaker "
                 "was started in cannot be named (it is gone, its path is longer than %d "
                 "characters, or a folder name in it holds a backslash); choose a target "
                 "directory with Select Output Directory first",
                 static_cast<int>(IO_DIRECTORY_BLOCK_SIZE - 2));
  return nullptr;
}

std::string PrepareTypedName(const char* typed) {
  std::string name = typed ? typed : "";
  for (char& c : name) {
    if (c == '/') c = '\\';
  }
  return name;
}

void ComposeAnnouncement(char* buffer, size_t size, const char* name, const char* directory,
                         int seconds) {
  if (size == 0) return;
  // A long name or folder is cut to leave the warning whole.
  char warning[256] = "";
  if (seconds > GENERATE_GAME_MAX_SECONDS) {
    snprintf(warning, sizeof warning, GENERATE_FORMAT_WARNING, GENERATE_TEXT_GAME_LIMIT);
  }
  const size_t room = size - std::min(size - 1, strlen(warning));
  const std::string shownDirectory = NativePath(directory);
  if (name && name[0]) {
    FormatCut(buffer, room, GENERATE_FORMAT_NAMED, NativePath(FileStem(name).c_str()).c_str(),
              shownDirectory.c_str());
  } else {
    FormatCut(buffer, room, GENERATE_FORMAT_DEFAULT_NAME, shownDirectory.c_str());
  }
  const size_t length = strlen(buffer);
  snprintf(buffer + length, size - length, "%s", warning);
}

void ComposeResultText(char* buffer, size_t size, int encodeResult) {
  if (encodeResult == -1) {
    FormatCut(buffer, size, "%s", GENERATE_TEXT_FAILURE);
  } else {
    FormatCut(buffer, size, encodeResult == 1 ? GENERATE_FORMAT_ONE_SECOND : GENERATE_FORMAT_SECONDS,
              encodeResult);
  }
}

std::string GetWrittenBackName(const std::string& preparedName) {
  return NativePath(FileStem(preparedName.c_str()).c_str());
}
