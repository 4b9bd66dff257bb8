// The silent MP3 writer.
#pragma once

#include "encoder/encoder_stream.h"

// Writes `seconds` of silence as an MP3 file named fileName (default "blankfile", ".mp3"
// added when it has no extension) in directory (default ".\", must end in a backslash).
// Returns the elapsed whole seconds, or -1 after a failure shown in a warning box.
// The file is written beside the target under another name and put in its place only
// when it is complete, so a failed run leaves an existing file as it was. A directory
// and name that together do not fit a 260-byte path are refused before anything is
// written.
int CreateBlankMP3(int seconds, const char* directory, const char* fileName);

// Clears the process's encoder configuration and stores the writer's fixed values:
// 44,100 Hz mono MPEG-1, VBR quality 9 between 32 and 128 kbit/s, copyright and original
// bits, Xing frame.
void InitEncoderConfig();

// The configuration that InitEncoderConfig fills and CreateBlankMP3 hands to the encoder.
const BE_CONFIG& GetEncoderConfig();

