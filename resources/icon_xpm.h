// The program icon, 32 x 32, as XPM data with a "c #rrggbb" colour table.
#pragma once

constexpr int ICON_XPM_SIZE = 32;
constexpr int ICON_XPM_COLOURS = 64;
constexpr int ICON_XPM_LINES = 1 + ICON_XPM_COLOURS + ICON_XPM_SIZE;

extern const char* const hushmaker_icon_xpm[ICON_XPM_LINES];
