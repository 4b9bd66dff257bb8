// The silent MP3 writer.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "encoder/encoder_stream.h"

// The longest file the program makes, in whole seconds: eight hours.
constexpr int SILENCE_MAX_SECONDS = 28800;

// Writes `seconds` (1..SILENCE_MAX_SECONDS) of silence as the MP3 file
// ComposeTargetPath(directory, fileName); a given directory ends in a backslash.
// Returns the elapsed whole seconds (never less than 0), or -1 after a failure shown in a
// warning box; a box about a file has the line ">>> <native path>: <reason>", where a
// failure after the file was opened names the target and adds whether it was changed.
// The file is written in full under another name and only then put in the target's place
// (see BeginReplacement), so a failed or interrupted run leaves an existing file as it
// was. A length out of range, and a name that CheckFileName does not find Writable, are
// refused before anything is written.
int CreateBlankMP3(int seconds, const char* directory, const char* fileName);

// Whether a file name holds a byte below 0x20 or DEL, which CreateBlankMP3 refuses: a
// pasted line break or tab would become part of the file's name.
bool HasControlCharacter(const char* fileName);

// The longest name of one file or folder, on every system the program runs on.
constexpr size_t SILENCE_NAME_MAX = 255;

enum class NameVerdict {
  Writable,
  Refused,  // no file can be made of the name anywhere
  TooLong,  // the name, or the path it makes with the directory, is too long
};

// The writer's name rules, which CreateBlankMP3 applies before anything is written, for
// the same arguments. Refused: a name holding a control character; starting with a
// separator (names are relative to the directory); ending in one, or whose last part is
// only dots (it names no file); a part the system cannot have (on Windows ':', any of
// < > " | ? *, or a device name such as CON or LPT1.txt). TooLong: a part over
// SILENCE_NAME_MAX, a target path that does not fit IO_PATH_BUFFER_SIZE, or a path (with
// the working folder, on Windows) longer than the system takes. *problem then says why,
// as a phrase that starts in lower case.
NameVerdict CheckFileName(const char* directory, const char* fileName, std::string* problem);

// The spelling of ComposeTargetPath(directory, fileName) by which two runs make the same
// file: "." parts, doubled separators and a folder followed by ".." are resolved as
// the system resolves them, and on Windows case is ignored. "voice", ".\voice",
// "sub\..\voice" and "sub\\..\voice" give one key.
std::string GetTargetFileKey(const char* directory, const char* fileName);

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
// The shipped programs never call it; tests read the record through it.
const BE_CONFIG& GetEncoderConfig();


// The writer's steps from the opened file on, in the order they run.
enum class WriterStep {
  InitStream,
  EncodeChunk,
  WriteEncoded,
  DeinitStream,
  WriteRemaining,
  WriteTag,
  CloseFile,
  WriteXingFrame,
  ReplaceTarget,
};

// Test seam: the shipped program never calls it. CreateBlankMP3 asks check before each
// step; when it answers true the step is not done and fails as if the encoder had answered
// BE_ERR_INVALID_FORMAT_PARAMETERS or the system EIO (the file is still closed at
// CloseFile). Returns the check it replaced; an empty function restores the normal run.
using WriterStepCheck = std::function<bool(WriterStep step)>;
WriterStepCheck ReplaceWriterStepCheck(WriterStepCheck check);
