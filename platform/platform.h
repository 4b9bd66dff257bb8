// The interface to the operating system that every front end shares: pauses, the
// default-program opener, boxes, local time, working directory, paths and files. It
// needs no display; the window's part (display, screen, the toolkit's box) is in
// platform/platform_window.h.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

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

// Files
// All paths here are native. These are the writer's means of replacing a file in one
// step, so that a user's existing file is never lost to a failed run.

// Creates a new empty file with a unique name in the directory of target, its name
// ending in suffix, with the permissions a newly created file gets. Writes its path into
// buffer (always terminated). False when it cannot be created or its path does not fit.
bool CreateTemporaryFileBeside(const char* target, const char* suffix, char* buffer,
                               size_t size);

// Puts source in the place of target in one step; an existing target's permission bits
// are carried over. False (and source left where it is) when that fails.
bool MoveFileOver(const char* source, const char* target);

// Removes a file; false when it cannot be removed.
bool RemoveFile(const char* path);

// Test seams: the shipped program never calls these
// Each replaces one operation and returns the one it replaced; an empty function
// restores the real operation.

using PauseFunction = std::function<void(unsigned int milliseconds)>;
using OpenerFunction = std::function<void(const char* target)>;
using BoxPresenterFunction =
    std::function<void(const char* caption, const char* text, BoxIcon icon)>;
using LocalClockFunction = std::function<LocalDateTime()>;

PauseFunction ReplacePause(PauseFunction pause);
OpenerFunction ReplaceOpener(OpenerFunction opener);
BoxPresenterFunction ReplaceBoxPresenter(BoxPresenterFunction presenter);
LocalClockFunction ReplaceLocalClock(LocalClockFunction clock);
