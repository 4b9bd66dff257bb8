// The interface to the operating system that every front end shares: pauses, the
// default-program opener, boxes, clocks, working directory, paths and files. It needs no
// display; the window's part (display, screen, fonts, the toolkit's box) is in
// platform/platform_window.h.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// Time

// Pauses the calling thread.
void PauseMilliseconds(unsigned int milliseconds);

struct LocalDateTime {
  int year;    // four digits
  int month;   // 1..12
  int day;     // 1..31
  int hour;    // 0..23
  int minute;  // 0..59
  int second;  // 0..60
};

// The calendar clock: seconds since 1 January 1970, 00:00 UTC.
long long GetCalendarSeconds();

// The calendar clock's present reading as a local date and time.
LocalDateTime GetLocalDateTime();

// Opening links and showing boxes

// Opens a web address or mailto: link with the user's default program. Returns at once;
// the outcome is not reported.
void OpenWithDefaultProgram(const char* target);

enum class BoxIcon { Warning, Error, Information };

// Shows a box with its caption and text through the front end's presenter and returns
// once it is dismissed. Until a front end has set one, caption and text go to stderr, so
// that no report is lost.
void PresentBox(const char* caption, const char* text, BoxIcon icon);

// How the running program shows a box: the window a modal box with one OK button, the
// command line the caption and text on stderr. Each front end's main sets it once.
using BoxPresenter = void (*)(const char* caption, const char* text, BoxIcon icon);
void SetBoxPresenter(BoxPresenter presenter);

// Makes writing past the process's file-size limit an ordinary failure of that write
// ("File too large") instead of a signal that ends the process. Each program calls it once
// at start; there is nothing to do where no such signal exists.
void IgnoreFileSizeSignal();

// Paths

// Writes the process's working directory, in native form, into buffer (always
// terminated). False when it is unknown or does not fit.
bool GetWorkingDirectory(char* buffer, size_t size);

// The native form of a path in the program's own form: every backslash becomes '/'.
std::string NativePath(const char* path);

// The program's own form of a native path, the other way round: every '/' becomes a
// backslash. False when the path cannot be written in that form: here, a path holding a
// backslash, which is an ordinary character of a name on this system.
bool ToProgramPath(const char* native, std::string* own);

// Whether a native path can be held in the program's own form, where a backslash is a
// separator: false when a name in it holds one (a folder named a\b would be read as the
// folder b inside a).
bool CanHoldNativePath(const char* path);

// The spelling by which the file system tells paths apart, so that two paths with the
// same key name the same file: the path itself on POSIX systems; on Windows, whose names
// ignore case, the path in lower case.
std::string FileNameKey(const std::string& path);

// What keeps one name of a path (a file or folder name, no separator in it) from being
// made on this system. Every name is fine on POSIX systems.
enum class NameClash {
  Allowed,
  DriveOrStream,      // Windows: ':' names a drive or an alternate data stream
  ReservedCharacter,  // Windows: one of < > " | ? *
  DeviceName,         // Windows: CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, any extension
};
NameClash CheckSystemName(const std::string& name);

// What keeps a name from being made on Windows, known on every system: files made here
// for a game on Windows must be names Windows can have.
NameClash CheckWindowsName(const std::string& name);

// Whether the system takes the path of a file to be made at target (native), and of the
// temporary file written beside it, as far as their length goes. On Windows the full path
// counts, with the working folder a relative target lies in, and must stay below
// MAX_PATH; on POSIX systems the path as given must stay below PATH_MAX. False fills
// *fullPath with the path that is too long and *limit with the most characters it may have.
bool FitsSystemPathLimit(const char* target, std::string* fullPath, size_t* limit);

// Whether path names an existing folder; whether it names anything at all (a link counts
// as what it points to).
bool IsFolder(const char* path);
bool PathExists(const char* path);

// The arguments the program was started with, in UTF-8, without the program's own name:
// argv's on POSIX systems; on Windows the system's own command line read as Unicode
// (argc and argv are not used there).
std::vector<std::string> ReadProgramArguments(int argc, char** argv);

// Makes the console show the program's UTF-8 output as such for the rest of the run
// (Windows consoles start in an older code page); nothing elsewhere.
void PrepareConsoleOutput();

// Files
// All paths here are native. A run writes its file in full under another name and only
// then puts it in the target's place, so that a failed or interrupted run leaves a user's
// existing file as it was.

// Why a file operation failed: the native path it acted on and the system's reason.
struct FileFailure {
  std::string path;
  std::string reason;
  // False only when an in-place write failed after it began to change the target.
  bool targetKept = true;
};

// Makes the folder at path and the folders above it that are missing, as mkdir -p does.
// False, with failure naming the part that could not be made, when one cannot be made.
bool MakeFolders(const char* path, FileFailure* failure);

// A file being written to take a target's place.
struct Replacement;

// Creates the file that is to replace target and opens *stream on it (binary, read and
// write; the caller writes through it and closes it). The file is new, created
// exclusively, readable by the user alone, and has no name until it is complete where the
// system allows (else a hidden name that matches no pattern of the target's extension).
// A symbolic link stands for the file it points to, which is created when missing. The
// target's folder is held from here on, so that the file ends up in that folder even if
// it is moved or renamed meanwhile. Where no new file can be made beside the target, or
// the target has other hard links or an owner and group that could not be kept, the file
// is made in the system's temporary folder and the target is later written over in place.
// Until the replacement ends, an interrupt, terminate, hang-up or file-size signal removes
// a named file and then ends the process as that signal does. Null, with failure filled
// in, when target cannot be written (a missing folder, a folder of that name, no
// permission, a name too long).
Replacement* BeginReplacement(const char* target, FILE** stream, FileFailure* failure);

// A native path that reaches the file being written for as long as the replacement lasts,
// for steps that reopen it by name. It need not be the file's name (it may have none).
const char* GetReplacementPath(const Replacement* replacement);

// Flushes the written file to disk and puts it in the target's place, keeping an existing
// target's mode, owner and group (a new target gets the mode of any new file). An
// in-place write first waits until no other run writes the target over, then makes sure
// the whole new file fits, so that a full disk or a file-size limit leaves the target as
// it was. Ends the replacement either way; on failure the written file is removed and
// failure names the target.
bool FinishReplacement(Replacement* replacement, FileFailure* failure);

// Removes the written file and ends the replacement; the target stays as it was.
void AbandonReplacement(Replacement* replacement);

// Test seams: the shipped program never calls these
// Each replaces one operation and returns the one it replaced; an empty function
// restores the real operation.

using PauseFunction = std::function<void(unsigned int milliseconds)>;
using OpenerFunction = std::function<void(const char* target)>;
using BoxPresenterFunction =
    std::function<void(const char* caption, const char* text, BoxIcon icon)>;
using CalendarClockFunction = std::function<long long()>;

PauseFunction ReplacePause(PauseFunction pause);
OpenerFunction ReplaceOpener(OpenerFunction opener);
BoxPresenterFunction ReplaceBoxPresenter(BoxPresenterFunction presenter);
// The one clock: both GetCalendarSeconds and GetLocalDateTime read it.
CalendarClockFunction ReplaceCalendarClock(CalendarClockFunction clock);
