// What the window is given to open, from its command line, a drop or its file chooser,
// sorted into what each of its views shows. Needs no window, so the rules hold the same
// whichever way the paths arrived.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The most a string package opened in the window may hold: far more than any level's.
constexpr size_t OPEN_MAX_PACKAGE_BYTES = 16 * 1024 * 1024;

// The paths in the text of a drop, one a line: file:// URIs (as X11 file managers send
// them) percent-decoded to local paths, any other line (Windows sends plain paths) as it
// is. Blank lines and # comments, which a URI list may hold, are skipped.
std::vector<std::string> ReadDroppedPaths(const std::string& text);

enum class OpenedKind {
  StringPackage,  // .sp or .str, or any file that begins as a package does
  VoiceFile,      // .mp3 or .wav
  VoiceFolder,
  Refused,
};

struct OpenedPath {
  std::string path;  // native
  OpenedKind kind = OpenedKind::Refused;
  std::string reason;  // Refused: why, as a user reads it
};

// What one path is, told by its name and, for a file with another name, by its content. A
// voice file name is a voice file even when it cannot be read: the check tells why.
OpenedPath SortOpenedPath(const std::string& path);

// A level view to open: a package over a voice folder, or over the main window's output
// folder when folder is empty.
struct LevelOpening {
  std::string package;
  std::string folder;
};

// What the paths given together open. A package given with one folder and nothing else
// opens on that folder; otherwise each package opens over the output folder, and the voice
// files and folders open one check view together. What cannot be opened is refused, and so
// is a folder for the check that holds no voice file.
struct OpenPlan {
  std::vector<LevelOpening> levels;
  std::vector<std::string> checked;  // in the order given
  std::vector<OpenedPath> refused;
};
OpenPlan PlanOpening(const std::vector<std::string>& paths);

// The last names of the paths, for a view's title: "mymap", "a.mp3, b.mp3", or the first
// three and "and N more".
std::string ComposeOpenedTitle(const std::vector<std::string>& paths);

// Reads the whole file at path into *bytes. False, with the system's reason or the file's
// size in *reason, when it cannot be read or holds more than maxBytes.
bool ReadOpenedFile(const std::string& path, size_t maxBytes, std::string* bytes,
                    std::string* reason);
