// The toolkit's process-wide settings that the main window needs before it is built.
#pragma once

// Draws the toolkit's Helvetica and Courier with Liberation Sans and Liberation Mono,
// whose letters are as wide as those the layout was drawn for; a family that is not
// installed keeps the toolkit's own choice. Returns how many of the two were mapped.
int UseMetricCompatibleFonts();

// Sets the toolkit's options to its built-in values without reading or writing its
// settings files, and gives the file chooser a settings store that lives in memory only,
// so that a run leaves nothing in the user's home folder; for the same reason the native
// file chooser is the toolkit's own, not GTK's.
void KeepToolkitSettingsInMemory();
