// Path and file-name helpers: taking paths apart and putting them together as plain bytes.
// Paths use backslash as the separator the program writes; the forward slash is understood
// where each helper says. Results longer than their storage are cut to it (259 characters
// for own buffers and ring slots, 255 for NormalizeDirectory). No helper shows a box or
// ends the process: a failure is the caller's to report.
#pragma once

#include <cstddef>

// Storage of the helpers' results, in bytes with the terminating zero.
constexpr size_t IO_PATH_BUFFER_SIZE = 260;      // own buffers and ring slots
constexpr size_t IO_DIRECTORY_BLOCK_SIZE = 256;  // NormalizeDirectory's heap block

// Directory part (last backslash, else last forward slash, else the whole path), in a
// ring of eight 260-byte slots: a result survives the next seven calls.
char* GetDirectory(const char* path);
char* GetDirectoryOfSlashPath(const char* path);

// File-name part, in a 260-byte buffer of the helper's own, valid until the next call.
char* GetFileName(const char* path);
char* GetFileNameOfSlashPath(const char* path);

// The same file-name part as GetFileName, pointing into path itself: it overwrites no
// result that a caller holds.
const char* FindFileName(const char* path);

// Copy without the extension, in a 260-byte buffer of the helper's own. The shipped
// programs call neither; they belong to the helpers' documented set.
char* StripExtension(const char* path);
char* StripExtensionOfSlashPath(const char* path);

// Cuts the last extension off the caller's string (not a dot in the first character).
char* StripExtensionInPlace(char* path);

// Appends extension when the name has none; path must have room for it. The shipped
// programs never call it (the writer composes its name itself); it belongs to the
// helpers' documented set.
void AddExtensionIfNone(char* path, const char* extension);

// New 256-byte heap copy with backslashes only and, when addTrailingBackslash, exactly
// one trailing backslash. A final "\." or "\.." component goes with its separator (the
// directory it was chosen in); a bare "." or ".." becomes "." (the current directory).
// Release it with FreeMemory. A result over 255 characters is cut, so a caller that must
// not act on another directory refuses input of IO_DIRECTORY_BLOCK_SIZE - 1 characters
// or more. Null when no memory is left for the copy; the caller reports that with
// NORMALIZE_DIRECTORY_NO_MEMORY.
char* NormalizeDirectory(const char* path, bool addTrailingBackslash);

constexpr const char* NORMALIZE_DIRECTORY_NO_MEMORY =
    "NormalizeDirectory(): calloc() failure\n>>> Not enough memory for a directory name.";

// True when path names a file that can be opened and read (a directory is not one).
// The shipped programs never call it; it belongs to the helpers' documented set.
bool FileExists(const char* path);
void FreeMemory(void* block);
