// The real modal box of the platform layer, built with the toolkit.
#pragma once

#include "platform/platform.h"

// Shows a modal window titled caption with an icon, text and one "OK" button, and
// returns once OK, Enter, Escape or the close box has dismissed it. Opens the display
// when the toolkit has not; without one, writes caption and text to stderr instead.
void PresentFltkBox(const char* caption, const char* text, BoxIcon icon);
