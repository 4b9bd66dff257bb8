// A level's voice lines as a map maker works on them: each line of its string package with
// its length, and what the folder its voice files go to holds for it. hushmaker-cli
// --strings and the window's level view both show this one model and write through it.
#pragma once

#include <string>
#include <vector>

#include "checker/sound_content.h"
#include "checker/voice_check.h"
#include "strings/reading_time.h"
#include "strings/string_package.h"

struct LevelTiming {
  int cps = READING_DEFAULT_CPS;
  int minSeconds = READING_DEFAULT_MIN_SECONDS;
};

// A voice file's place in the level's folders, and what it holds now.
struct LevelFile {
  std::string directory;  // the program's own form, ending in a backslash; empty: the working one
  std::string name;       // "kyle_hi.mp3"
  bool exists = false;
  SoundContent content = SoundContent::Silence;  // of the file there
  VoiceCheck check;                              // the game's verdict on the file there
  std::string reason;                            // Unreadable: the system's reason
};

struct LevelLine {
  VoiceLine voice;
  std::string noFile;  // why it gets no file: the package's reason, or its folder's
  long long characters = 0;
  int seconds = 0;
  bool secondsTyped = false;
  std::vector<LevelFile> files;  // its folder's file, and a female player's twin
};

struct Level {
  StringPackage package;
  std::string directory;  // own form, ending in a backslash; empty: the working folder
  std::vector<LevelLine> lines;        // every voice line of the package, in its order
  std::vector<PackageReport> reports;  // the package's and its folder's, in line order
};

// The folder Jedi Academy plays a female player's voice lines from where a male player's
// come from a folder named jaden_male; empty for any other folder. Own forms.
std::string FindFemaleTwinDirectory(const std::string& directory);

// The level of a package whose voice files go to directory (own form, as the writer takes
// it), its lines timed, with what the folder holds now. In a folder under sound/, a line
// whose game path would be longer than the game takes gets no file.
Level OpenLevel(const StringPackage& package, const std::string& directory,
                const LevelTiming& timing);

// The same level writing into another folder; typed lengths stay.
void MoveLevel(Level* level, const std::string& directory);

// Times every line whose length was not typed.
void TimeLevel(Level* level, const LevelTiming& timing);

// A length typed over a line's (1 to SILENCE_MAX_SECONDS); it stays when the timing changes.
void TypeLineSeconds(Level* level, size_t index, int seconds);

// Looks again at what the folders hold for each line.
void SurveyLevelFolder(Level* level);

// The files to be written, line by line.
size_t CountLevelFiles(const Level& level);

// What writing one file did.
enum class LevelWriting {
  Written,
  Failed,        // told in a box by the writer
  KeptRecorded,  // the file there holds sound
  KeptUnknown,   // the file there is of a kind whose sound cannot be told
};

// Writes one of a line's files, unless the file there holds sound (or might) and
// replaceRecorded is false. Looks at the file again right before.
LevelWriting WriteLevelFile(const LevelLine& line, const LevelFile& file, bool replaceRecorded);

// What a file's place holds, as the level view and the command line tell it:
// "no file", "a silent file of 3.000 s", "a recorded file the game plays for 2.089 s",
// "a file the game does not play: sampled at 22,050 Hz; ..." and the like.
std::string DescribeLevelFile(const LevelFile& file);

// Why writing kept a file: "kept: holds recorded sound".
const char* DescribeKeptFile(LevelWriting writing);

// The counts of writing a level's files, and the lines that get none.
struct LevelTally {
  int written = 0;
  int failed = 0;
  int kept = 0;
  int stopped = 0;  // not written because writing was stopped
  size_t skipped = 0;
  void Count(LevelWriting writing);
};

// The line that ends a level's writing, as --strings and the level view tell it:
// "3 files written, 0 failed, 1 kept, 1 line skipped"; kept, stopped and skipped only when
// there are any.
std::string DescribeLevelTally(const LevelTally& tally);
