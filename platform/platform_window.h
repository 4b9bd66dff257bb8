// The window's part of the platform layer: the display, the screen, fonts and the modal
// box. Only the window links it; the rest of the program never needs a display.
#pragma once

#include "platform/platform.h"

// Opens the display for the toolkit (on X; Windows always has one); false when there is
// none to open.
bool OpenDisplay();

// Size of the primary screen in pixels (the display must be open).
void GetScreenSize(int* width, int* height);

// True when a font of exactly this family is installed (no stand-in counts).
bool IsFontFamilyInstalled(const char* family);

// The window's box presenter: a modal box titled caption with an icon, text and one "OK"
// button, which returns once it has been dismissed (OK, Enter, Escape or the close box).
// On X it is a toolkit window, which opens the display when the toolkit has not and,
// without one, writes caption and text to stderr instead; on Windows the system's
// message box.
void PresentWindowBox(const char* caption, const char* text, BoxIcon icon);
