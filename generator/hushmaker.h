// The silent MP3 writer.
#pragma once

#include <string>

#include "encoder/encoder_stream.h"

// Writes `seconds` of silence as the MP3 file ComposeTargetPath(directory, fileName); a
// given directory ends in a backslash.
// Returns the elapsed whole seconds, or -1 after a failure shown in a warning box.
// The file is written beside the target under another name and put in its place only
// when it is complete, so a failed run leaves an existing file as it was. A directory
// and name that together do not fit a 260-byte path are refused before anything is
// written.
int CreateBlankMP3(int seconds, const char* directory, const char* fileName);

// The file name the writer makes of a name in the program's own form: the name loses its
// last extension (a dot behind the last backslash, not its first character), once, and
// always ends in ".mp3". "voice", "voice.wav" and "voice.MP3" give "voice.mp3";
// "voice.01.wav" gives "voice.01.mp3"; ".voice" gives ".voice.mp3".
std::string MakeMP3FileName(const char* fileName);

// The path of the file that CreateBlankMP3 writes for the same arguments: directory
// (absent: ".\") followed directly by MakeMP3FileName of fileName (absent: "blankfile").
std::string ComposeTargetPath(const char* directory, const char* fileName);

// Clears the process's encoder configuration and stores the writer's fixed values:
// 44,100 Hz mono MPEG-1, VBR quality 9 between 32 and 128 kbit/s, copyright and original
// bits, Xing frame.
void InitEncoderConfig();

// The configuration that InitEncoderConfig fills and CreateBlankMP3 hands to the encoder.
const BE_CONFIG& GetEncoderConfig();

