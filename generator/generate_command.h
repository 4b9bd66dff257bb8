// The Generate command's work that needs no window: the length it holds, the name it
// hands to the writer, the texts it shows and the name it writes back into the field.
#pragma once

#include <cstddef>
#include <string>

constexpr int GENERATE_MAX_SECONDS = 28800;

constexpr const char* GENERATE_TEXT_LENGTH_ZERO =
    "\n>>> Give me some seconds to encode & I will make it ;)";
constexpr const char* GENERATE_TEXT_FAILURE = "\n>>> Compilation has failed :(";

// A length value of the window as whole seconds: truncated toward zero and held to
// 0..GENERATE_MAX_SECONDS (never wrapped); anything that is not a number gives 0.
int HoldSilenceSeconds(double value);

// The typed file name in the program's own form (forward slashes become backslashes)
// with its last extension cut. Never shortened otherwise, however long.
std::string PrepareTypedName(const char* typed);

// The announcement of the file about to be made. An empty name announces the default
// file; directory is in the program's own form and is shown in native form, as is the
// name. A text that does not fit is cut to size - 1 bytes, never in the middle of a
// character, and always terminated.
void ComposeAnnouncement(char* buffer, size_t size, const char* name, const char* directory);

// The result message for a writer's result: elapsed seconds ("second" for exactly 1),
// or the failure text for -1. Cut like the announcement.
void ComposeResultText(char* buffer, size_t size, int encodeResult);

// The bare name of the file that the writer makes from a name prepared as above and a
// directory that ends in a backslash: the part after the last separator, without its
// extension. "voice", "voice.mp3" and "C:\Sounds\voice.mp3" all give "voice".
std::string GetWrittenBackName(const std::string& preparedName);
