// The Generate command's work that needs no window: the length it holds, the name it
// hands to the writer, the texts it shows and the name it writes back into the field.
#pragma once

#include <cstddef>
#include <string>

constexpr int GENERATE_MAX_SECONDS = 28800;

// The longest file the game loads: its loader adds the decoded size up in a signed 32-bit
// integer, so a file of 24,348 s or more stops the game with a fatal memory error while
// the sound loads. Longer files are still written, after this warning.
constexpr int GENERATE_GAME_MAX_SECONDS = 24347;
constexpr const char* GENERATE_TEXT_GAME_LIMIT =
    "\n>>> Warning: Jedi Outcast cannot load a file over 24347 seconds (6:45:47); it stops "
    "with a fatal memory error";

constexpr const char* GENERATE_TEXT_LENGTH_ZERO =
    "\n>>> Give me some seconds to encode & I will make it ;)";
constexpr const char* GENERATE_TEXT_FAILURE = "\n>>> Compilation has failed :(";

// A length value of the window as whole seconds: truncated toward zero and held to
// 0..GENERATE_MAX_SECONDS (never wrapped); anything that is not a number gives 0.
int HoldSilenceSeconds(double value);

// Whether a native directory can be a target directory: it is named, its normal form (one
// trailing backslash) fits IO_DIRECTORY_BLOCK_SIZE uncut, and no folder name in it holds a
// backslash. Anything else would make the program name or write into another folder.
bool CanHoldTargetDirectory(const char* native);

// The typed file name in the program's own form (forward slashes become backslashes), as
// the writer takes it. Never shortened, however long.
std::string PrepareTypedName(const char* typed);

// The announcement of the file about to be made, naming the file the writer makes of the
// prepared name (an empty name announces the default file); directory is in the
// program's own form and is shown in native form, as is the name. A text that does not
// fit is cut to size - 1 bytes, never in the middle of a character, and always
// terminated.
void ComposeAnnouncement(char* buffer, size_t size, const char* name, const char* directory);

// The result message for a writer's result: elapsed seconds ("second" for exactly 1),
// or the failure text for -1. Cut like the announcement.
void ComposeResultText(char* buffer, size_t size, int encodeResult);

// What the name field holds after a successful run with a prepared name: the name of the
// file written without ".mp3", with the folder part that was typed, in native form.
// "voice.wav" gives "voice", "sounds\\npc1.wav" gives "sounds/npc1".
std::string GetWrittenBackName(const std::string& preparedName);
