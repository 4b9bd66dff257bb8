// The silent MP3 writer.
#pragma once

// Writes `seconds` of silence as an MP3 file named fileName (default "blankfile", ".mp3"
// added when it has no extension) in directory (default ".\", must end in a backslash).
// Returns the elapsed whole seconds, or -1 after a failure shown in a warning box.
int CreateBlankMP3(int seconds, const char* directory, const char* fileName);
