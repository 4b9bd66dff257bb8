// Message boxes: reports to the user, and the fatal error that ends the program.
#pragma once

#include <cstddef>

// Storage of a box's texts, in bytes with the terminating zero.
constexpr size_t IO_BOX_TEXT_SIZE = 4096;  // message and box text
constexpr size_t IO_CAPTION_SIZE = 260;    // box caption

// Report kinds of ShowMessageBox.
enum {
  BOX_WARNING = 0,  // returns to the caller
  BOX_ERROR = 1,    // ends the process with status 1 once the box is closed
  BOX_HELP = 2,     // returns to the caller; the shipped programs never raise it
};

// Shows a modal box captioned "Called from: "<file name of source>", line <line>" with
// the formatted message framed by the kind's banner, and logs the kind. Texts that do not
// fit their buffers (4,096 bytes for message and box text, 260 for the caption) are cut
// at a whole character.
void ShowMessageBox(int kind, const char* source, int line, const char* format, ...)
    __attribute__((format(printf, 4, 5)));

// Shows a developer's message under the caption "Debugging Info". The shipped programs
// never call it; it is kept for the report interface.
void ShowDebugBox(const char* format, ...) __attribute__((format(printf, 1, 2)));
