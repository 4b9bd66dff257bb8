// Message boxes, the process log and path helpers shared by every module.
#pragma once

#include <cstddef>

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

// Process log, written only when the build switch LOG_TO_FILE is on. Every call opens
// process.log in the working directory and closes it again.
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
// one trailing backslash. Release it with FreeMemory.
char* NormalizeDirectory(const char* path, bool addTrailingBackslash);

bool FileExists(const char* path);
void FreeMemory(void* block);
