// The three banner pictures of the link buttons, as XPM data in the toolkit's compact
// colour-map form: a header line "245 35 -N 1", one line of N four-byte colour entries
// (key, red, green, blue), then 35 lines of 245 keys.
#pragma once

constexpr int BANNER_XPM_LINES = 1 + 1 + 35;

extern const char* const banner_xpm_1[BANNER_XPM_LINES];  // 254 colours
extern const char* const banner_xpm_2[BANNER_XPM_LINES];  // 247 colours
extern const char* const banner_xpm_3[BANNER_XPM_LINES];  // 256 colours
