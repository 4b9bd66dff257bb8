// Message boxes, the process log and path helpers shared by every module.
#pragma once

#include <cstddef>

// Storage of the helpers' results, in bytes with the terminating zero.
constexpr size_t IO_PATH_BUFFER_SIZE = 260;      // own buffers and ring slots
constexpr size_t IO_DIRECTORY_BLOCK_SIZE = 256;  // NormalizeDirectory's heap block
constexpr size_t IO_BOX_TEXT_SIZE = 4096;        // message and box text
constexpr size_t IO_CAPTION_SIZE = 260;          // box caption

// Report kinds of ShowMessageBox.
enum {
  BOX_WARNING = 0,  // returns to the caller
  BOX_ERROR = 1,    // ends the process with status 1 once the box is closed
  BOX_HELP = 2,     // returns to the caller
};

// Shows a modal box captioned "Called from: "<file name of source>", line <line>" with
// the formatted message framed by the kind's banner. Texts that do not fit their buffers
// (4,096 bytes for message and box text, 260 for the caption) are cut.
void ShowMessageBox(int kind, const char* source, int line, const char* format, ...)
    __attribute__((format(printf, 4, 5)));

// Shows a developer's message under the caption "Debugging Info".
void ShowDebugBox(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Process log. WriteLog writes only when the build switch LOG_TO_FILE is on; the other
// routines write whenever they are called. Every call opens process.log in the working
// directory and closes it again. A failure to open or close it ends the program with an
// error box; while such a failure is being reported nothing more is logged, so a log
// that cannot be written does not report itself again.
void WriteLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
int AppendLogEntry(const char* text);  // 0 when written, -1 when the file cannot be opened
void StartLog();
void CloseLog();

// English month name for 1..12, "[Unknown month]" otherwise.
const char* MonthName(unsigned short month);

// Path helpers. Paths use backslash as the separator the program writes; the forward
// slash is understood where each helper says. Results longer than their storage are cut
// to it (259 characters for own buffers and ring slots, 255 for NormalizeDirectory).

// Directory part (last backslash, else last forward slash, else the whole path), in a
// ring of eight 260-byte slots: a result survives the next seven calls.
char* GetDirectory(const char* path);
char* GetDirectoryOfSlashPath(const char* path);

// File-name part, in a 260-byte buffer of the helper's own, valid until the next call.
char* GetFileName(const char* path);
char* GetFileNameOfSlashPath(const char* path);

// Copy without the extension, in a 260-byte buffer of the helper's own.
char* StripExtension(const char* path);
char* StripExtensionOfSlashPath(const char* path);

// Cuts the last extension off the caller's string (not a dot in the first character).
char* StripExtensionInPlace(char* path);

// Appends extension when the name has none; path must have room for it.
void AddExtensionIfNone(char* path, const char* extension);

// New 256-byte heap copy with backslashes only and, when addTrailingBackslash, exactly
// one trailing backslash. A final "\." or "\.." component goes with its separator (the
// directory it was chosen in); a bare "." or ".." becomes "." (the current directory).
// Release it with FreeMemory. A result over 255 characters is cut, so a caller that must
// not act on another directory refuses input of IO_DIRECTORY_BLOCK_SIZE - 1 characters
// or more.
char* NormalizeDirectory(const char* path, bool addTrailingBackslash);

// True when path names a file that can be opened and read (a directory is not one).
bool FileExists(const char* path);
void FreeMemory(void* block);
