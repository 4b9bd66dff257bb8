// hushmaker-cli: the window's silent MP3 files from a terminal, a script or a batch list.
// It reads the command line, hands each file to the writer and reports; every rule about
// lengths, names and files is the core's.
#include <getopt.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "checker/check_report.h"
#include "checker/voice_check.h"
#include "cli/batch_list.h"
#include "cli/list_input.h"
#include "encoder/encoder_version.h"
#include "generator/generate_command.h"
#include "generator/hushmaker.h"
#include "platform/platform.h"
#include "resources/version_info.h"
#include "strings/level.h"
#include "strings/reading_time.h"
#include "strings/string_package.h"
#include "support/path_helpers.h"

namespace {

constexpr const char* CLI_NAME = "hushmaker-cli";
constexpr const char* CLI_STANDARD_INPUT = "-";
constexpr const char* CLI_STANDARD_INPUT_SHOWN = "<stdin>";
constexpr size_t CLI_VERSION_TEXT_SIZE = 256;

constexpr int CLI_EXIT_WRITTEN = 0;
constexpr int CLI_EXIT_FAILED = 1;
constexpr int CLI_EXIT_USAGE = 2;

// Values of the options that have no short form.
enum {
  CLI_OPTION_BATCH = 256,
  CLI_OPTION_HELP,
  CLI_OPTION_VERSION,
  CLI_OPTION_STRINGS,
  CLI_OPTION_LIST,
  CLI_OPTION_LANGUAGE,
  CLI_OPTION_CPS,
  CLI_OPTION_MIN_SECONDS,
  CLI_OPTION_CHECK,
  CLI_OPTION_REPLACE_RECORDED,
};

const option CLI_OPTIONS[] = {
    {"directory", required_argument, nullptr, 'd'},
    {"quiet", no_argument, nullptr, 'q'},
    {"batch", required_argument, nullptr, CLI_OPTION_BATCH},
    {"strings", required_argument, nullptr, CLI_OPTION_STRINGS},
    {"list", no_argument, nullptr, CLI_OPTION_LIST},
    {"language", required_argument, nullptr, CLI_OPTION_LANGUAGE},
    {"cps", required_argument, nullptr, CLI_OPTION_CPS},
    {"min-seconds", required_argument, nullptr, CLI_OPTION_MIN_SECONDS},
    {"check", no_argument, nullptr, CLI_OPTION_CHECK},
    {"replace-recorded", no_argument, nullptr, CLI_OPTION_REPLACE_RECORDED},
    {"help", no_argument, nullptr, CLI_OPTION_HELP},
    {"version", no_argument, nullptr, CLI_OPTION_VERSION},
    {nullptr, 0, nullptr, 0},
};
// The leading ':' has a missing option argument reported apart from an unknown option.
constexpr const char* CLI_SHORT_OPTIONS = ":d:q";

// Filled with the longest length; then the string packages' help, then the closing help.
constexpr const char* CLI_HELP_FORMAT =
    "Usage: hushmaker-cli [-d DIR] [-q] SECONDS [NAME]\n"
    "  or:  hushmaker-cli [-d DIR] [-q] --batch LIST\n"
    "  or:  hushmaker-cli [-d DIR] [-q] --strings PACKAGE [--list] [--language NAME]\n"
    "                     [--cps N] [--min-seconds N] [--replace-recorded]\n"
    "  or:  hushmaker-cli [-q] --check FILE...\n"
    "Writes MP3 files of pure silence, the same files as the Hushmaker window: 16-bit mono\n"
    "44,100 Hz MPEG-1 Layer III at 32 to 128 kbit/s, a Xing/Info frame first and an ID3v1\n"
    "tag last. It needs no display.\n"
    "\n"
    "SECONDS is the length, 1 to %d: whole seconds (90), M:SS (1:30) or H:MM:SS (1:00:00).\n"
    "NAME is the file's name, blankfile when left out. It loses its last extension and\n"
    "ends in .mp3: voice and voice.wav both make voice.mp3. A folder part (npc/voice) is\n"
    "kept. Names are relative to the folder written into (-d, else the current one): a\n"
    "full path is refused. A file of the same name is replaced once the new one is\n"
    "complete.\n"
    "\n"
    "Options:\n"
    "  -d, --directory DIR  write into the folder DIR instead of the current one\n"
    "      --batch LIST     write one file per line of the file LIST (- reads standard input)\n"
    "      --strings PACKAGE\n"
    "                       write one file per line of a level's string package (- reads\n"
    "                       standard input); see String packages below\n"
    "      --check          write nothing; tell for each FILE whether the game plays it\n"
    "  -q, --quiet          print nothing on standard output; warnings and failures still\n"
    "                       go to standard error\n"
    "      --help           print this help and exit\n"
    "      --version        print the program's and the encoder's version and exit\n"
    "\n"
    "A batch list has one file a line, SECONDS NAME: a length as above, blanks, then the\n"
    "name, which is the rest of the line and may hold blanks. Blank lines and lines that\n"
    "start with # are skipped. A list is UTF-8 text (a byte-order mark is fine) or UTF-16\n"
    "with its byte-order mark. The whole list is checked first, names and all, and no two\n"
    "lines may make one file; every bad line is reported as LIST:LINE: what is wrong, and\n"
    "then nothing is written. Otherwise the files are written in order, a file that fails\n"
    "does not stop the others, and a last line tells how many were written and how many\n"
    "failed.\n"
    "\n";

// Filled with the longest length, the ranges and defaults of the reading time and the
// default language.
constexpr const char* CLI_HELP_STRINGS_FORMAT =
    "String packages: a voice file for each line of a level's Jedi Outcast StripEd package\n"
    "(strip/LEVEL.sp) or Jedi Academy StringEd file (strings/LANGUAGE/LEVEL.str), read line\n"
    "by line as the game reads it. Each file is the one the game plays for the line, named\n"
    "after its reference in lower case (KYLE_GREETING makes kyle_greeting.mp3), and as long\n"
    "as the text the player sees takes to read, in whole seconds:\n"
    "    max(MIN, ceil(CHARACTERS / CPS)), at most %d\n"
    "CHARACTERS are those the player reads: colour codes (^ and a digit) do not count, a\n"
    "line break (\\n) counts as a space, each run of spaces as one, and spaces at either end\n"
    "not at all. The game draws one sign per byte: UTF-8 beyond ASCII shows as two.\n"
    "      --cps N          CPS, characters read per second, %d to %d (default %d)\n"
    "      --min-seconds N  MIN, the shortest file, %d to %d seconds (default %d)\n"
    "      --language NAME  read the package as the game does in that language: english,\n"
    "                       french, german, british, korean, taiwanese, italian, spanish or\n"
    "                       japanese; by default a StringEd file's folder's, else %s\n"
    "      --replace-recorded\n"
    "                       write over files that hold recorded sound too\n"
    "      --list           write nothing; print the batch list of the files instead, each\n"
    "                       line's text as a # comment and then SECONDS NAME: edit the\n"
    "                       lengths you want longer and give it to --batch\n"
    "A StringEd file that Jedi Academy refuses (it then quits at start-up) is told as\n"
    "PACKAGE:LINE: what is wrong, and nothing is written. A line the game can never show\n"
    "(after the place where Jedi Outcast stops reading, a reference in lower case, one that\n"
    "cannot be a file's name, a game path over 63 characters) is told and gets no file, and\n"
    "so does a line without text. A missing -d folder is made. A file that holds recorded\n"
    "sound is kept: only silent files are written over.\n"
    "\n";

// Filled with the game's limit, for the writer and the checker.
constexpr const char* CLI_HELP_CLOSING_FORMAT =
    "One line is printed for each file written (voice.mp3  3 s). A length over %d\n"
    "seconds is written with a warning: the game cannot load such a file.\n"
    "\n"
    "--check reads voice files, yours or recorded ones, by the rules of Jedi Outcast's own\n"
    "sound loader, and prints one line a file: that the game plays it and how long the\n"
    "caption stays up (the loader's count of samples, which is not the file's exact length),\n"
    "or why it does not. A folder stands for every .mp3 and .wav file in it and its\n"
    "subfolders, in name order, and ends with a count. What it finds:\n"
    "  - an MP3 file must be sampled at 44,100 Hz. LAME's small-file setting -V 9 makes\n"
    "    22,050 Hz, and a 48 kHz stereo recording at 64 kbit/s becomes 24,000 Hz.\n"
    "  - an ID3v2 tag at the start (many sound editors write one) is read as sound and the\n"
    "    file refused; the tag must go. An ID3v1 tag at the end is fine.\n"
    "  - over %d seconds the game quits with a fatal memory error, mono or stereo.\n"
    "  - a WAV file must be mono and plain 8- or 16-bit PCM, at any sample rate. The game\n"
    "    quits on one whose header claims more than it can hold, and reads one cut short\n"
    "    on past its end.\n"
    "\n"
    "Examples:\n"
    "  hushmaker-cli 3 voice                writes voice.mp3, 3 seconds long\n"
    "  hushmaker-cli -d sounds 1:30 intro   writes sounds/intro.mp3, 90 seconds long\n"
    "  hushmaker-cli --check sound/chars    checks every voice file under sound/chars\n"
    "  hushmaker-cli --batch lines.txt      where lines.txt holds, for instance:\n"
    "      # the guard at the gate\n"
    "      4 guard greeting\n"
    "      1:30 guard long speech\n"
    "  hushmaker-cli --strings strip/mymap.sp -d sound/chars/mymap\n"
    "                                       writes sound/chars/mymap/kyle_greeting.mp3 and\n"
    "                                       the others of the package\n"
    "\n"
    "Exit status:\n"
    "  0  every file was written\n"
    "  1  at least one file could not be written (the others were), or a line of a\n"
    "     package gets no file because the game can never show it\n"
    "  2  bad usage, a bad list or a bad package; nothing was written\n"
    "With --check: 0 the game plays every file, 1 it does not play one or one cannot be\n"
    "read, 2 bad usage.\n";

struct Options {
  const char* directory = nullptr;  // as given
  const char* batch = nullptr;
  const char* strings = nullptr;
  bool list = false;
  const char* language = nullptr;  // the reading options as given
  const char* cps = nullptr;
  const char* minSeconds = nullptr;
  bool quiet = false;
  bool help = false;
  bool version = false;
  bool check = false;
  bool replaceRecorded = false;
};

// How a package's lines are timed.
struct Reading {
  PackageLanguage language = PackageLanguage::English;
  int cps = READING_DEFAULT_CPS;
  int minSeconds = READING_DEFAULT_MIN_SECONDS;
};

// Anything on stdout so far comes first, so the two streams read in order. Names and
// list lines in the message are shown with their control bytes escaped.
__attribute__((format(printf, 1, 2))) void Complain(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  va_list again;
  va_copy(again, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, arguments);
  va_end(arguments);
  std::string message(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  std::vsnprintf(&message[0], message.size() + 1, format, again);
  va_end(again);
  std::fflush(stdout);
  std::fprintf(stderr, "%s: %s\n", CLI_NAME, EscapeControlBytes(message).c_str());
}

int ReportBadUsage(const std::string& what) {
  Complain("%s", what.c_str());
  std::fprintf(stderr, "Try '%s --help' for more information.\n", CLI_NAME);
  return CLI_EXIT_USAGE;
}

// The command line's presenter: what the window shows in a box, caption and text as
// they are, on stderr.
void PrintBox(const char* caption, const char* text, BoxIcon) {
  std::fflush(stdout);
  std::fprintf(stderr, "%s\n%s", EscapeControlBytes(caption).c_str(),
               EscapeControlBytes(text, true).c_str());
}

// The option text that getopt_long stopped at.
std::string GetOffendingOption(char** argv) {
  if (optopt > 0 && optopt < CLI_OPTION_BATCH) return std::string("-") + static_cast<char>(optopt);
  return argv[optind - 1];
}

// Reads the options; false after a bad one, with the reason in *problem.
bool ReadOptions(int argc, char** argv, Options* options, std::string* problem) {
  opterr = 0;
  int option;
  while ((option = getopt_long(argc, argv, CLI_SHORT_OPTIONS, CLI_OPTIONS, nullptr)) != -1) {
    switch (option) {
      case 'd':
        options->directory = optarg;
        break;
      case 'q':
        options->quiet = true;
        break;
      case CLI_OPTION_BATCH:
        options->batch = optarg;
        break;
      case CLI_OPTION_STRINGS:
        options->strings = optarg;
        break;
      case CLI_OPTION_LIST:
        options->list = true;
        break;
      case CLI_OPTION_LANGUAGE:
        options->language = optarg;
        break;
      case CLI_OPTION_CPS:
        options->cps = optarg;
        break;
      case CLI_OPTION_MIN_SECONDS:
        options->minSeconds = optarg;
        break;
      case CLI_OPTION_HELP:
        options->help = true;
        break;
      case CLI_OPTION_VERSION:
        options->version = true;
        break;
      case CLI_OPTION_CHECK:
        options->check = true;
        break;
      case CLI_OPTION_REPLACE_RECORDED:
        options->replaceRecorded = true;
        break;
      case ':':
        *problem = "option " + GetOffendingOption(argv) + " needs a value";
        return false;
      default:
        *problem = "unknown option " + GetOffendingOption(argv);
        return false;
    }
  }
  return true;
}

void PrintHelp() {
  std::printf(CLI_HELP_FORMAT, SILENCE_MAX_SECONDS);
  std::printf(CLI_HELP_STRINGS_FORMAT, SILENCE_MAX_SECONDS, READING_MIN_CPS, READING_MAX_CPS,
              READING_DEFAULT_CPS, READING_MIN_MIN_SECONDS, SILENCE_MAX_SECONDS,
              READING_DEFAULT_MIN_SECONDS, GetPackageLanguageName(Reading().language));
  std::printf(CLI_HELP_CLOSING_FORMAT, GENERATE_GAME_MAX_SECONDS,
              static_cast<int>(CHECK_MP3_LONGEST_SECONDS));
}

void PrintVersion() {
  BE_VERSION encoder = {};
  beVersion(&encoder);
  char encoderText[CLI_VERSION_TEXT_SIZE];
  ComposeVersionText(encoder, encoderText, sizeof encoderText);
  std::printf("%s (%s) %d.%d.%d\n%s\n%s\n\nEncoder:%s\n", CLI_NAME, VERSION_PRODUCT_NAME,
              VERSION_NUMBER[0], VERSION_NUMBER[1], VERSION_NUMBER[2], VERSION_FILE_DESCRIPTION,
              VERSION_LEGAL_COPYRIGHT, encoderText);
}

// The folder given with -d in the program's own form, ending in one backslash.
bool PrepareDirectory(const char* given, std::string* own, std::string* problem) {
  switch (PrepareTargetDirectory(given, own)) {
    case DirectoryProblem::None:
      return true;
    case DirectoryProblem::Empty:
      *problem = "the folder given with -d is empty";
      return false;
    case DirectoryProblem::HoldsBackslash:
      *problem = "the folder \"" + std::string(given) +
                 "\" holds a backslash, which cannot be written here";
      return false;
    case DirectoryProblem::HoldsQuote:
      // cmd hands over -d "C:\out\" 1 x as one argument: \" is a quote, not an end.
      *problem = "the folder \"" + std::string(given) +
                 "\" holds a quote: a folder name that ends in \\\" takes the quote and what "
                 "follows; leave out the last backslash";
      return false;
    case DirectoryProblem::TooLong:
      break;
  }
  *problem = "the folder \"" + std::string(given) + "\" is longer than " +
             std::to_string(IO_DIRECTORY_BLOCK_SIZE - 2) + " characters";
  return false;
}

// Writes one file, then tells which on stdout, or on stderr that it failed.
bool WriteFile(int seconds, const std::string& directory, const std::string& name, bool quiet) {
  const char* givenName = name.empty() ? nullptr : name.c_str();
  const std::string shown = NativePath(ComposeTargetPath(directory.c_str(), givenName).c_str());
  if (seconds > GENERATE_GAME_MAX_SECONDS) Complain("%s: %s", shown.c_str(), GENERATE_TEXT_GAME_LIMIT);
  if (CreateBlankMP3(seconds, directory.empty() ? nullptr : directory.c_str(), givenName) == -1) {
    Complain("%s was not written", shown.c_str());
    return false;
  }
  if (!quiet) std::printf("%s  %d s\n", EscapeControlBytes(shown).c_str(), seconds);
  return true;
}

// Reads the whole list (or package, as kind says); false after telling why it cannot be run.
bool ReadList(const char* list, const std::string& shownList, const char* kind,
              std::string* text, size_t maxLineBytes = LIST_MAX_LINE_BYTES) {
  const bool standardInput = std::strcmp(list, CLI_STANDARD_INPUT) == 0;
  FILE* file = standardInput ? stdin : std::fopen(list, "rb");
  if (!file) {
    Complain("cannot read %s: %s", list, std::strerror(errno));
    return false;
  }
  int line = 0;
  const ListReading result = ReadBoundedList(file, text, &line, maxLineBytes);
  const int error = errno;
  if (!standardInput) std::fclose(file);
  switch (result) {
    case ListReading::Read:
      return true;
    case ListReading::Unreadable:
      Complain("cannot read %s: %s", list, std::strerror(error));
      return false;
    case ListReading::LineTooLong:
      std::fprintf(stderr, "%s:%d: line too long (over %zu bytes)\n", shownList.c_str(), line,
                   maxLineBytes);
      Complain("%s cannot be read as %s; nothing was written", shownList.c_str(), kind);
      return false;
    case ListReading::TooManyLines:
      break;
  }
  Complain("%s has more than %d lines; nothing was written", shownList.c_str(), LIST_MAX_LINES);
  return false;
}

const char* ShowInputName(const char* name) {
  return std::strcmp(name, CLI_STANDARD_INPUT) == 0 ? CLI_STANDARD_INPUT_SHOWN : name;
}

// Writes the files in order; a file that fails does not stop the others.
int WriteEntries(const std::vector<BatchEntry>& entries, const std::string& directory,
                 bool quiet) {
  int written = 0;
  int failed = 0;
  for (const BatchEntry& entry : entries) {
    if (WriteFile(entry.seconds, directory, entry.name, quiet)) {
      ++written;
    } else {
      ++failed;
    }
  }
  if (!quiet) {
    std::printf("%d file%s written, %d failed\n", written, written == 1 ? "" : "s", failed);
  }
  return failed ? CLI_EXIT_FAILED : CLI_EXIT_WRITTEN;
}

// Makes the -d folder, when there is one and it is missing, before the first file is
// written; false after telling why it cannot be made.
bool MakeTargetFolder(const char* given) {
  if (!given || IsFolder(given)) return true;
  FileFailure failure;
  if (!MakeFolders(given, &failure)) {
    Complain("cannot make the folder %s: %s; nothing was written", failure.path.c_str(),
             failure.reason.c_str());
    return false;
  }
  Complain("made the folder %s", given);
  return true;
}

int RunBatch(const char* list, const char* givenDirectory, const std::string& directory,
             bool quiet) {
  const std::string shownList = EscapeControlBytes(ShowInputName(list));
  std::string text;
  if (std::strcmp(list, CLI_STANDARD_INPUT) != 0 && IsFolder(list)) {
    Complain("cannot read %s: it is a folder, not a list", shownList.c_str());
    return CLI_EXIT_USAGE;
  }
  if (!ReadList(list, shownList, "a list", &text)) return CLI_EXIT_USAGE;
  const BatchList batch = ParseBatchList(text, directory.empty() ? nullptr : directory.c_str());
  if (!batch.problems.empty()) {
    for (const BatchProblem& problem : batch.problems) {
      std::fprintf(stderr, "%s:%d: %s\n", shownList.c_str(), problem.line,
                   EscapeControlBytes(problem.text).c_str());
    }
    Complain("%zu bad line%s in %s; nothing was written", batch.problems.size(),
             batch.problems.size() == 1 ? "" : "s", shownList.c_str());
    return CLI_EXIT_USAGE;
  }
  if (!MakeTargetFolder(givenDirectory)) return CLI_EXIT_FAILED;
  return WriteEntries(batch.entries, directory, quiet);
}

// A whole number from lowest to highest, digits only.
bool ReadWholeNumber(const char* text, int lowest, int highest, int* value) {
  long long number = 0;
  for (const char* digit = text; *digit; ++digit) {
    if (*digit < '0' || *digit > '9') return false;
    number = std::min<long long>(number * 10 + (*digit - '0'), highest + 1LL);
  }
  if (!*text || number < lowest || number > highest) return false;
  *value = static_cast<int>(number);
  return true;
}

bool ReadReadingOptions(const Options& options, Reading* reading, std::string* problem) {
  if (options.language && !FindPackageLanguage(options.language, &reading->language)) {
    *problem = "unknown language \"" + std::string(options.language) +
               "\"; the languages are " + ListPackageLanguages();
    return false;
  }
  if (options.cps &&
      !ReadWholeNumber(options.cps, READING_MIN_CPS, READING_MAX_CPS, &reading->cps)) {
    *problem = "--cps takes a whole number from " + std::to_string(READING_MIN_CPS) + " to " +
               std::to_string(READING_MAX_CPS) + ", not \"" + options.cps + "\"";
    return false;
  }
  if (options.minSeconds && !ReadWholeNumber(options.minSeconds, READING_MIN_MIN_SECONDS,
                                             SILENCE_MAX_SECONDS, &reading->minSeconds)) {
    *problem = "--min-seconds takes a whole number from " +
               std::to_string(READING_MIN_MIN_SECONDS) + " to " +
               std::to_string(SILENCE_MAX_SECONDS) + ", not \"" + options.minSeconds + "\"";
    return false;
  }
  return true;
}

// The option that only goes with --strings, if one was given without it.
const char* FindStringsOnlyOption(const Options& options) {
  if (options.list) return "--list";
  if (options.language) return "--language";
  if (options.cps) return "--cps";
  if (options.minSeconds) return "--min-seconds";
  if (options.replaceRecorded) return "--replace-recorded";
  return nullptr;
}

// Which options go together; false with the reason in *problem.
bool CheckCombination(const Options& options, int count, char** arguments,
                      std::string* problem) {
  const char* stringsOnly = FindStringsOnlyOption(options);
  if (options.batch && options.strings) {
    *problem = "--batch and --strings exclude each other";
    return false;
  }
  if (stringsOnly && !options.strings) {
    *problem = "option " + std::string(stringsOnly) + " goes with --strings only";
    return false;
  }
  if ((options.batch || options.strings) && count > 0) {
    *problem = "extra argument \"" + std::string(arguments[0]) + "\"";
    return false;
  }
  return true;
}

// A text on one line of a list's comment: line breaks written as the package writes them,
// other control bytes escaped, so that no byte of it ends the comment's line.
std::string ShowTextInList(const std::string& text) {
  std::string joined;
  for (char c : text) joined += c == '\n' ? std::string("\\n") : std::string(1, c);
  return EscapeControlBytes(joined);
}

// The list that --batch turns into the same files in the level's folder, each line's text
// as a comment. A file that holds recorded sound is left out, in a comment.
void PrintLevelList(const Level& level) {
  for (const LevelLine& line : level.lines) {
    if (!line.noFile.empty()) continue;
    const LevelFile& file = line.files.front();
    std::printf("# %s\n", ShowTextInList(line.voice.text).c_str());
    const bool kept = file.exists && file.content != SoundContent::Silence;
    std::printf("%s%d %s\n", kept ? "# kept, holds sound: " : "", line.seconds,
                EscapeControlBytes(file.name).c_str());
  }
  const std::string female = level.package.format == PackageFormat::StringEd
                                 ? FindFemaleTwinDirectory(level.directory)
                                 : "";
  if (!female.empty()) {
    std::printf("# a female player hears these files from %s: run the list there too\n",
                EscapeControlBytes(NativePath(female.c_str())).c_str());
  }
}

void PrintReports(const std::vector<PackageReport>& reports, const char* shownName) {
  std::fflush(stdout);
  for (const PackageReport& report : reports) {
    std::fprintf(stderr, "%s:%d: %s\n", shownName, report.line,
                 EscapeControlBytes(report.text).c_str());
  }
}

int WriteLevel(const Level& level, bool replaceRecorded, bool quiet) {
  LevelTally run;
  run.skipped = CountSkippedLines(level.reports);
  for (const LevelLine& line : level.lines) {
    for (const LevelFile& file : line.files) {
      const std::string shown = EscapeControlBytes(NativePath(
          ComposeTargetPath(file.directory.empty() ? nullptr : file.directory.c_str(),
                            file.name.c_str()).c_str()));
      const LevelWriting writing = WriteLevelFile(line, file, replaceRecorded);
      run.Count(writing);
      if (writing == LevelWriting::Written) {
        if (!quiet) std::printf("%s  %d s\n", shown.c_str(), line.seconds);
      } else if (writing == LevelWriting::Failed) {
        Complain("%s was not written", shown.c_str());
      } else {
        std::fflush(stdout);
        std::fprintf(stderr, "%s: %s\n", shown.c_str(), DescribeKeptFile(writing));
      }
    }
  }
  if (!quiet) std::printf("%s\n", DescribeLevelTally(run).c_str());
  return run.failed || run.skipped ? CLI_EXIT_FAILED : CLI_EXIT_WRITTEN;
}

int RunStrings(const Options& options, const std::string& directory) {
  Reading reading;
  std::string problem;
  if (!ReadReadingOptions(options, &reading, &problem)) return ReportBadUsage(problem);
  const bool standardInput = std::strcmp(options.strings, CLI_STANDARD_INPUT) == 0;
  const std::string shownName = EscapeControlBytes(ShowInputName(options.strings));
  if (!standardInput && IsFolder(options.strings)) {
    Complain("cannot read %s: it is a folder, not a string package", shownName.c_str());
    return CLI_EXIT_USAGE;
  }
  std::string bytes;
  if (!ReadList(options.strings, shownName, "a string package", &bytes,
                LIST_MAX_PACKAGE_LINE_BYTES)) {
    return CLI_EXIT_USAGE;
  }
  PackageSource source;
  source.path = standardInput ? "" : options.strings;
  source.languageGiven = options.language != nullptr;
  source.language = reading.language;
  const StringPackage package = ReadStringPackage(bytes, source);
  if (IsPackageRefused(package)) {
    PrintReports(package.reports, shownName.c_str());
    Complain("the game refuses %s; nothing was written", shownName.c_str());
    return CLI_EXIT_USAGE;
  }
  if (package.lines.empty()) {
    Complain("%s holds no voice line (no REFERENCE of a line entry); nothing was written",
             shownName.c_str());
    return CLI_EXIT_USAGE;
  }
  const Level level = OpenLevel(package, directory, {reading.cps, reading.minSeconds});
  PrintReports(level.reports, shownName.c_str());
  if (options.list) {
    PrintLevelList(level);
    return CLI_EXIT_WRITTEN;
  }
  if (!MakeTargetFolder(options.directory)) return CLI_EXIT_FAILED;
  return WriteLevel(level, options.replaceRecorded, options.quiet);
}

int RunSingle(int count, char** arguments, const std::string& directory, bool quiet) {
  if (count == 0) return ReportBadUsage("no length given");
  if (count > 2) return ReportBadUsage("extra argument \"" + std::string(arguments[2]) + "\"");
  int seconds = 0;
  std::string problem;
  if (!ParseLength(arguments[0], &seconds, &problem)) return ReportBadUsage(problem);
  std::string name;
  if (count == 2 && !ToProgramPath(arguments[1], &name)) {
    return ReportBadUsage("the name \"" + std::string(arguments[1]) +
                    "\" holds a backslash, which cannot be written here; use / between folders");
  }
  // Refused here, like a bad list line, rather than as a failed write.
  const char* givenDirectory = directory.empty() ? nullptr : directory.c_str();
  if (CheckFileName(givenDirectory, name.c_str(), &problem) != NameVerdict::Writable) {
    return ReportBadUsage(problem);
  }
  return WriteFile(seconds, directory, name, quiet) ? CLI_EXIT_WRITTEN : CLI_EXIT_FAILED;
}

// Prints one row of a --check run: those the game plays on stdout (none when quiet), what
// cannot be read on stderr, the others on stdout or, when quiet, on stderr.
void PrintCheckRow(const CheckRow& row, bool quiet) {
  if (row.check.verdict == VoiceVerdict::Plays) {
    if (!quiet) std::printf("%s\n", row.line.c_str());
  } else if (row.check.verdict == VoiceVerdict::Unreadable) {
    Complain("%s", row.line.c_str());
  } else if (quiet) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", row.line.c_str());
  } else {
    std::printf("%s\n", row.line.c_str());
  }
}

int RunCheck(int count, char** paths, bool quiet) {
  if (count == 0) return ReportBadUsage("--check needs a file or a folder");
  const CheckPlan plan = PlanVoiceCheck(std::vector<std::string>(paths, paths + count));
  CheckTally tally;
  for (const CheckItem& item : plan.items) {
    const CheckRow row = CheckPlannedItem(item);
    tally.Count(row);
    PrintCheckRow(row, quiet);
  }
  if (plan.counted && !quiet) std::printf("%s\n", DescribeCheckTally(tally).c_str());
  return tally.doNot > 0 ? CLI_EXIT_FAILED : CLI_EXIT_WRITTEN;
}

int Run(int argc, char** argv) {
  Options options;
  std::string problem;
  if (!ReadOptions(argc, argv, &options, &problem)) return ReportBadUsage(problem);
  if (options.help) {
    PrintHelp();
    return CLI_EXIT_WRITTEN;
  }
  if (options.version) {
    PrintVersion();
    return CLI_EXIT_WRITTEN;
  }
  const int count = argc - optind;
  if (options.check) {
    if (options.batch || options.directory) {
      return ReportBadUsage("--check writes nothing; it takes neither -d nor --batch");
    }
    if (options.strings || FindStringsOnlyOption(options)) {
      return ReportBadUsage("--check and --strings exclude each other");
    }
    return RunCheck(count, argv + optind, options.quiet);
  }
  std::string directory;
  if (options.directory && !PrepareDirectory(options.directory, &directory, &problem)) {
    return ReportBadUsage(problem);
  }
  if (!CheckCombination(options, count, argv + optind, &problem)) return ReportBadUsage(problem);
  const bool manyFiles = options.batch || options.strings;
  if (manyFiles && options.directory && PathExists(options.directory) &&
      !IsFolder(options.directory)) {
    Complain("%s, given with -d, is not a folder; nothing was written", options.directory);
    return CLI_EXIT_USAGE;
  }
  if (options.batch) return RunBatch(options.batch, options.directory, directory, options.quiet);
  if (options.strings) return RunStrings(options, directory);
  return RunSingle(count, argv + optind, directory, options.quiet);
}

}  // namespace

int main(int argc, char** argv) {
  SetBoxPresenter(PrintBox);
  PrepareConsoleOutput();
  // A file over the size limit fails on its own; the rest of a batch is still written.
  IgnoreFileSizeSignal();
  int status = Run(argc, argv);
  // A report that could not be written must not pass for a run that went well.
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "%s: cannot write to standard output: %s\n", CLI_NAME,
                 std::strerror(errno));
    if (status == CLI_EXIT_WRITTEN) status = CLI_EXIT_FAILED;
  }
  return status;
}
