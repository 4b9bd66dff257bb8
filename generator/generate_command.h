// The Generate command's work that needs no window: the length it holds, the folder it
// writes into, the name it hands to the writer, the texts it shows and the name it writes
// back into the field.
#pragma once

#include <cstddef>
#include <string>

// The longest file the game loads: its loader adds the decoded size up in a signed 32-bit
// integer, so a file of 24,348 s or more stops the game with a fatal memory error while
// the sound loads. Longer files are still written, after this warning, which each front
// end frames its own way.
constexpr int GENERATE_GAME_MAX_SECONDS = 24347;
constexpr const char* GENERATE_TEXT_GAME_LIMIT =
    "Warning: Jedi Outcast cannot load a file over 24347 seconds (6:45:47); it stops with a "
    "fatal memory error";

constexpr const char* GENERATE_TEXT_LENGTH_ZERO =
    "\n>>> Give me some seconds to encode & I will make it ;)";
constexpr const char* GENERATE_TEXT_FAILURE = "\n>>> Compilation has failed :(";

// A length value of the window as whole seconds: truncated toward zero and held to
// 0..SILENCE_MAX_SECONDS (never wrapped); anything that is not a number gives 0.
int HoldSilenceSeconds(double value);

// The length typed into the window's field: a whole decimal number with an optional sign
// and nothing else. A longer number stops growing once past any length the program
// allows, so it never wraps. False, with *number unchanged, for any other text.
bool ReadTypedLength(const char* text, double* number);

// Why a folder the user names cannot be a target folder.
enum class DirectoryProblem {
  None,
  Empty,
  HoldsBackslash,  // a folder name holds one; the program would read it as a separator
  HoldsQuote,      // where no name may hold '"': a command line's quoting went wrong
  TooLong,         // its own form would not fit IO_DIRECTORY_BLOCK_SIZE uncut
};

// The program's own form of a folder named in native form (chosen in the window, given on
// the command line, or the start folder): backslashes only, exactly one trailing
// backslash; "." and ".." stay as typed, for the system to resolve. Anything that cannot
// be named whole is refused, since it would make the program name or write into another
// folder.
DirectoryProblem PrepareTargetDirectory(const char* native, std::string* own);

// Takes the chooser's selection into targetDir (IO_DIRECTORY_BLOCK_SIZE bytes, own form).
// A cancelled chooser (no selection) keeps the folder chosen before. False, after a
// warning box, when the selection cannot be named whole; targetDir is then unchanged.
bool TakeChosenDirectory(const char* selection, char* targetDir);

// The folder a run writes into and announces: the chosen one, else the start folder
// (either may be empty or null). Null, after a warning box, when neither is known.
const char* ChooseRunDirectory(const char* targetDir, const char* startDir);

// The typed file name in the program's own form (forward slashes become backslashes), as
// the writer takes it. Never shortened, however long.
std::string PrepareTypedName(const char* typed);

// The announcement of the file about to be made, naming the file the writer makes of the
// prepared name (an empty name announces the default file) in directory (own form, shown
// in native form); past the game's limit the warning follows on a line of its own. A text
// that does not fit is cut to size - 1 bytes, never in the middle of a character, always
// terminated, and never cuts the warning.
void ComposeAnnouncement(char* buffer, size_t size, const char* name, const char* directory,
                         int seconds);

// The result message for a writer's result: elapsed seconds ("second" for exactly 1),
// or the failure text for -1. Cut like the announcement.
void ComposeResultText(char* buffer, size_t size, int encodeResult);

// What the name field holds after a successful run with a prepared name: the name of the
// file written without ".mp3", with the folder part that was typed, in native form.
// "voice.wav" gives "voice", "sounds\\npc1.wav" gives "sounds/npc1".
std::string GetWrittenBackName(const std::string& preparedName);
