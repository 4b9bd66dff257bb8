// The level model: a package's lines in a folder, timed, with what the folder holds.
#include "strings/level.h"

#include <algorithm>

#include "generator/hushmaker.h"
#include "platform/platform.h"
#include "strings/package_reader.h"
#include "support/text_rules.h"

namespace {

// The game's paths hold 63 bytes at most (MAX_QPATH).
constexpr size_t LEVEL_MAX_GAME_PATH = 63;
constexpr const char* LEVEL_SOUND_FOLDER = "sound";
constexpr const char* LEVEL_MALE_FOLDER = "jaden_male";
constexpr const char* LEVEL_FEMALE_FOLDER = "jaden_fmle";
constexpr size_t LEVEL_WORKING_DIRECTORY_SIZE = 4096;

bool IsAbsolute(const std::string& native) {
  return (!native.empty() && (native[0] == '/' || native[0] == '\\')) ||
         (native.size() > 1 && native[1] == ':');
}

// The folder's native path from the root, so that a relative folder's place under sound/
// is known too.
std::string FindFullFolder(const std::string& directory) {
  const std::string native = NativePath(directory.c_str());
  if (IsAbsolute(native)) return native;
  char working[LEVEL_WORKING_DIRECTORY_SIZE];
  if (!GetWorkingDirectory(working, sizeof working)) return native;
  return std::string(working) + "/" + native;
}

// The path a script names the line's voice file by, from sound/ on; just its name where
// the folder is not under sound/.
std::string FindGamePath(const std::string& directory, const VoiceLine& voice) {
  const std::vector<std::string> parts = SplitPathNames(FindFullFolder(directory));
  std::string path;
  for (const std::string& part : parts) {
    if (LowerAscii(part) == LEVEL_SOUND_FOLDER) path.clear();
    if (!part.empty() && part != ".") path += part + "/";
  }
  const bool underSound = std::any_of(parts.begin(), parts.end(), [](const std::string& part) {
    return LowerAscii(part) == LEVEL_SOUND_FOLDER;
  });
  return (underSound ? path : "") + LowerAscii(voice.reference) + ".mp3";
}

std::string CheckGamePath(const std::string& directory, const VoiceLine& voice) {
  const std::string path = FindGamePath(directory, voice);
  if (path.size() <= LEVEL_MAX_GAME_PATH) return "";
  return "the game path " + EscapeControlBytes(path) + " has " + std::to_string(path.size()) +
         " characters, and the game takes " + std::to_string(LEVEL_MAX_GAME_PATH) + " at most";
}

void PlaceLine(const std::string& directory, const std::string& femaleDirectory,
               LevelLine* line, std::vector<PackageReport>* reports) {
  line->files.clear();
  line->noFile = line->voice.noFile;
  if (!line->noFile.empty()) return;
  line->noFile = CheckGamePath(directory, line->voice);
  if (!line->noFile.empty()) {
    reports->push_back({line->voice.line,
                        EscapeControlBytes(line->voice.reference) + ": " + line->noFile,
                        ReportKind::SkipsLine});
    return;
  }
  LevelFile file;
  file.directory = directory;
  file.name = line->voice.fileName;
  line->files.push_back(file);
  if (femaleDirectory.empty()) return;
  file.directory = femaleDirectory;
  line->files.push_back(file);
}

void SurveyFile(LevelFile* file) {
  const std::string path = NativePath(ComposeTargetPath(
      file->directory.empty() ? nullptr : file->directory.c_str(), file->name.c_str()).c_str());
  file->exists = PathExists(path.c_str());
  file->content = SoundContent::Silence;
  file->reason.clear();
  if (!file->exists) return;
  file->content = FindFileSoundContent(path, &file->reason);
  file->check = CheckVoiceFile(path);
}

}  // namespace

std::string FindFemaleTwinDirectory(const std::string& directory) {
  std::string full;
  ToProgramPath(FindFullFolder(directory).c_str(), &full);
  const std::vector<std::string> parts = SplitPathNames(full);
  std::string twin;
  bool found = false;
  for (const std::string& part : parts) {
    const bool male = !found && LowerAscii(part) == LEVEL_MALE_FOLDER;
    found = found || male;
    twin += (male ? LEVEL_FEMALE_FOLDER : part) + "\\";
  }
  twin.pop_back();
  if (twin.empty() || twin.back() != '\\') twin += '\\';
  return found ? twin : "";
}

Level OpenLevel(const StringPackage& package, const std::string& directory,
                const LevelTiming& timing) {
  Level level;
  level.package = package;
  for (const VoiceLine& voice : package.lines) {
    LevelLine line;
    line.voice = voice;
    level.lines.push_back(line);
  }
  MoveLevel(&level, directory);
  TimeLevel(&level, timing);
  return level;
}

void MoveLevel(Level* level, const std::string& directory) {
  level->directory = directory;
  level->reports = level->package.reports;
  const bool academy = level->package.format == PackageFormat::StringEd;
  const std::string female = academy ? FindFemaleTwinDirectory(directory) : "";
  for (LevelLine& line : level->lines) PlaceLine(directory, female, &line, &level->reports);
  std::stable_sort(level->reports.begin(), level->reports.end(),
                   [](const PackageReport& a, const PackageReport& b) { return a.line < b.line; });
  SurveyLevelFolder(level);
}

void TimeLevel(Level* level, const LevelTiming& timing) {
  for (LevelLine& line : level->lines) {
    line.characters = CountReadCharacters(line.voice.text);
    if (!line.secondsTyped) {
      line.seconds = ComputeReadingSeconds(line.characters, timing.cps, timing.minSeconds);
    }
  }
}

void TypeLineSeconds(Level* level, size_t index, int seconds) {
  LevelLine& line = level->lines.at(index);
  line.seconds = std::clamp(seconds, 1, SILENCE_MAX_SECONDS);
  line.secondsTyped = true;
}

void SurveyLevelFolder(Level* level) {
  for (LevelLine& line : level->lines) {
    for (LevelFile& file : line.files) SurveyFile(&file);
  }
}

size_t CountLevelFiles(const Level& level) {
  size_t count = 0;
  for (const LevelLine& line : level.lines) count += line.files.size();
  return count;
}

LevelWriting WriteLevelFile(const LevelLine& line, const LevelFile& file, bool replaceRecorded) {
  LevelFile now = file;
  SurveyFile(&now);
  if (now.exists && !replaceRecorded && now.content != SoundContent::Silence) {
    return now.content == SoundContent::Sound ? LevelWriting::KeptRecorded
                                              : LevelWriting::KeptUnknown;
  }
  const char* directory = file.directory.empty() ? nullptr : file.directory.c_str();
  return CreateBlankMP3(line.seconds, directory, file.name.c_str()) == -1 ? LevelWriting::Failed
                                                                          : LevelWriting::Written;
}

std::string DescribeLevelFile(const LevelFile& file) {
  if (!file.exists) return "no file yet";
  if (file.content == SoundContent::Unreadable) return "cannot be read: " + file.reason;
  // The checker's line without the name it begins with.
  const std::string verdict = DescribeVoiceCheck("", file.check).substr(2);
  switch (file.content) {
    case SoundContent::Silence:
      return "silent: " + verdict;
    case SoundContent::Sound:
      return "recorded, kept: " + verdict;
    default:
      return "not told silent, kept: " + verdict;
  }
}

const char* DescribeKeptFile(LevelWriting writing) {
  return writing == LevelWriting::KeptRecorded ? "kept: holds recorded sound"
                                               : "kept: not a file whose silence can be told";
}

void LevelTally::Count(LevelWriting writing) {
  switch (writing) {
    case LevelWriting::Written:
      ++written;
      return;
    case LevelWriting::Failed:
      ++failed;
      return;
    case LevelWriting::KeptRecorded:
    case LevelWriting::KeptUnknown:
      ++kept;
      return;
  }
}

std::string DescribeLevelTally(const LevelTally& tally) {
  std::string said = std::to_string(tally.written) + (tally.written == 1 ? " file" : " files") +
                     " written, " + std::to_string(tally.failed) + " failed";
  if (tally.kept) said += ", " + std::to_string(tally.kept) + " kept";
  if (tally.stopped) said += ", " + std::to_string(tally.stopped) + " left when stopped";
  if (tally.skipped) {
    said += ", " + std::to_string(tally.skipped) + (tally.skipped == 1 ? " line" : " lines") +
            " skipped";
  }
  return said;
}
