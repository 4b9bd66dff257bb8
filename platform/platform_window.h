// The window's part of the platform layer: the X display, the screen, fonts and the
// toolkit's modal box. Only the window links it; the rest of the program never needs a
// display.
#pragma once

#include "platform/platform.h"

// Opens the X display for the toolkit; false when there is none to open.
bool OpenDisplay();

// Size of the primary screen in pixels (the display must be open).
void GetScreenSize(int* width, int* height);

// True when a font of exactly this family is installed (no stand-in counts).
bool IsFontFamilyInstalled(const char* family);

// The window's box presenter: a modal window titled caption with an icon, text and one
// "OK" button, which returns once OK, Enter, Escape or the close box has dismissed it.
// Opens the display when the toolkit has not; without one, writes caption and text to
// stderr instead.
void PresentFltkBox(const char* caption, const char* text, BoxIcon icon);
