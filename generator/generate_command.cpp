// The Generate command's window-free work: held length, prepared name, shown texts.
#include "generator/generate_command.h"

#include <cstdio>
#include <cstring>

#include "generator/hushmaker.h"
#include "platform/platform.h"
#include "support/format_cut.h"
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

// The name of the file the writer makes, without its ".mp3".
std::string FileStem(const char* preparedName) {
  std::string file = MakeMP3FileName(preparedName);
  file.resize(file.size() - strlen(GENERATE_MP3_EXTENSION));
  return file;
}

}  // namespace

int HoldSilenceSeconds(double value) {
  if (!(value > 0)) return 0;
  if (value >= GENERATE_MAX_SECONDS) return GENERATE_MAX_SECONDS;
  return static_cast<int>(value);
}

bool CanHoldTargetDirectory(const char* native) {
  return native && native[0] && strlen(native) < IO_DIRECTORY_BLOCK_SIZE - 1 &&
         CanHoldNativePath(native);
}

std::string PrepareTypedName(const char* typed) {
  std::string name = typed ? typed : "";
  for (char& c : name) {
    if (c == '/') c = '\\';
  }
  return name;
}

void ComposeAnnouncement(char* buffer, size_t size, const char* name, const char* directory) {
  std::string shown_directory = NativePath(directory);
  if (name && name[0]) {
    FormatCut(buffer, size, GENERATE_FORMAT_NAMED, NativePath(FileStem(name).c_str()).c_str(),
              shown_directory.c_str());
  } else {
    FormatCut(buffer, size, GENERATE_FORMAT_DEFAULT_NAME, shown_directory.c_str());
  }
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
