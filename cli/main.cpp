// hushmaker-cli: the window's silent MP3 files from a terminal, a script or a batch list.
// It reads the command line, hands each file to the writer and reports; every rule about
// lengths, names and files is the core's.
#include <getopt.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "checker/voice_check.h"
#include "cli/batch_list.h"
#include "encoder/encoder_version.h"
#include "generator/generate_command.h"
#include "generator/hushmaker.h"
#include "platform/platform.h"
#include "resources/version_info.h"
#include "support/path_helpers.h"

namespace {

constexpr const char* CLI_NAME = "hushmaker-cli";
constexpr const char* CLI_STANDARD_INPUT = "-";
constexpr const char* CLI_STANDARD_INPUT_SHOWN = "<stdin>";
constexpr size_t CLI_VERSION_TEXT_SIZE = 256;
constexpr size_t CLI_READ_CHUNK = 65536;

constexpr int CLI_EXIT_WRITTEN = 0;
constexpr int CLI_EXIT_FAILED = 1;
constexpr int CLI_EXIT_USAGE = 2;

// Values of the options that have no short form.
enum { CLI_OPTION_BATCH = 256, CLI_OPTION_HELP, CLI_OPTION_VERSION, CLI_OPTION_CHECK };

const option CLI_OPTIONS[] = {
    {"directory", required_argument, nullptr, 'd'},
    {"quiet", no_argument, nullptr, 'q'},
    {"batch", required_argument, nullptr, CLI_OPTION_BATCH},
    {"check", no_argument, nullptr, CLI_OPTION_CHECK},
    {"help", no_argument, nullptr, CLI_OPTION_HELP},
    {"version", no_argument, nullptr, CLI_OPTION_VERSION},
    {nullptr, 0, nullptr, 0},
};
// The leading ':' has a missing option argument reported apart from an unknown option.
constexpr const char* CLI_SHORT_OPTIONS = ":d:q";

// Filled with the longest length and the game's limit, for the writer and the checker.
constexpr const char* CLI_HELP_FORMAT =
    "Usage: hushmaker-cli [-d DIR] [-q] SECONDS [NAME]\n"
    "  or:  hushmaker-cli [-d DIR] [-q] --batch LIST\n"
    "  or:  hushmaker-cli [-q] --check FILE...\n"
    "Writes MP3 files of pure silence, the same files as the Hushmaker window: 16-bit mono\n"
    "44,100 Hz MPEG-1 Layer III at 32 to 128 kbit/s, a Xing/Info frame first and an ID3v1\n"
    "tag last. It needs no display.\n"
    "\n"
    "SECONDS is the length, 1 to %d: whole seconds (90), M:SS (1:30) or H:MM:SS (1:00:00).\n"
    "NAME is the file's name, blankfile when left out. It loses its last extension and\n"
    "ends in .mp3: voice and voice.wav both make voice.mp3. A folder part (npc/voice) is\n"
    "kept. A file of the same name is replaced once the new one is complete.\n"
    "\n"
    "Options:\n"
    "  -d, --directory DIR  write into the folder DIR instead of the current one\n"
    "      --batch LIST     write one file per line of the file LIST (- reads standard input)\n"
    "      --check          write nothing; tell for each FILE whether the game plays it\n"
    "  -q, --quiet          print nothing on standard output; warnings and failures still\n"
    "                       go to standard error\n"
    "      --help           print this help and exit\n"
    "      --version        print the program's and the encoder's version and exit\n"
    "\n"
    "A batch list has one file a line, SECONDS NAME: a length as above, blanks, then the\n"
    "name, which is the rest of the line and may hold blanks. Blank lines and lines that\n"
    "start with # are skipped. The whole list is checked first; every bad line is reported\n"
    "as LIST:LINE: what is wrong, and then nothing is written. Otherwise the files are\n"
    "written in order, a file that fails does not stop the others, and a last line tells\n"
    "how many were written and how many failed.\n"
    "\n"
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
    "  - a WAV file must be mono and plain 8- or 16-bit PCM, at any sample rate.\n"
    "\n"
    "Examples:\n"
    "  hushmaker-cli 3 voice                writes voice.mp3, 3 seconds long\n"
    "  hushmaker-cli -d sounds 1:30 intro   writes sounds/intro.mp3, 90 seconds long\n"
    "  hushmaker-cli --check sound/chars    checks every voice file under sound/chars\n"
    "  hushmaker-cli --batch lines.txt      where lines.txt holds, for instance:\n"
    "      # the guard at the gate\n"
    "      4 guard greeting\n"
    "      1:30 guard long speech\n"
    "\n"
    "Exit status:\n"
    "  0  every file was written\n"
    "  1  at least one file could not be written (the others were)\n"
    "  2  bad usage or a bad list; nothing was written\n"
    "With --check: 0 the game plays every file, 1 it does not play one or one cannot be\n"
    "read, 2 bad usage.\n";

struct Options {
  const char* directory = nullptr;  // as given
  const char* batch = nullptr;
  bool quiet = false;
  bool help = false;
  bool version = false;
  bool check = false;
};

// Anything on stdout so far comes first, so the two streams read in order.
__attribute__((format(printf, 1, 2))) void Complain(const char* format, ...) {
  std::fflush(stdout);
  std::fprintf(stderr, "%s: ", CLI_NAME);
  va_list arguments;
  va_start(arguments, format);
  std::vfprintf(stderr, format, arguments);
  va_end(arguments);
  std::fputc('\n', stderr);
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
  std::fprintf(stderr, "%s\n%s", caption, text);
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
      case CLI_OPTION_HELP:
        options->help = true;
        break;
      case CLI_OPTION_VERSION:
        options->version = true;
        break;
      case CLI_OPTION_CHECK:
        options->check = true;
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

void PrintVersion() {
  BE_VERSION encoder = {};
  beVersion(&encoder);
  char encoder_text[CLI_VERSION_TEXT_SIZE];
  ComposeVersionText(encoder, encoder_text, sizeof encoder_text);
  std::printf("%s (%s) %d.%d.%d\n%s\n%s\n\nEncoder:%s\n", CLI_NAME, VERSION_PRODUCT_NAME,
              VERSION_NUMBER[0], VERSION_NUMBER[1], VERSION_NUMBER[2], VERSION_FILE_DESCRIPTION,
              VERSION_LEGAL_COPYRIGHT, encoder_text);
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
    case DirectoryProblem::TooLong:
      break;
  }
  *problem = "the folder \"" + std::string(given) + "\" is longer than " +
             std::to_string(IO_DIRECTORY_BLOCK_SIZE - 2) + " characters";
  return false;
}

// Writes one file, then tells which on stdout, or on stderr that it failed.
bool WriteFile(int seconds, const std::string& directory, const std::string& name, bool quiet) {
  const char* given_name = name.empty() ? nullptr : name.c_str();
  const std::string shown = NativePath(ComposeTargetPath(directory.c_str(), given_name).c_str());
  if (seconds > GENERATE_GAME_MAX_SECONDS) Complain("%s: %s", shown.c_str(), GENERATE_TEXT_GAME_LIMIT);
  if (CreateBlankMP3(seconds, directory.empty() ? nullptr : directory.c_str(), given_name) == -1) {
    Complain("%s was not written", shown.c_str());
    return false;
  }
  if (!quiet) std::printf("%s  %d s\n", shown.c_str(), seconds);
  return true;
}

bool ReadList(const char* list, std::string* text) {
  const bool standard_input = std::strcmp(list, CLI_STANDARD_INPUT) == 0;
  FILE* file = standard_input ? stdin : std::fopen(list, "rb");
  if (!file) return false;
  std::string chunk(CLI_READ_CHUNK, '\0');
  size_t got;
  while ((got = std::fread(&chunk[0], 1, chunk.size(), file)) > 0) text->append(chunk, 0, got);
  const bool failed = std::ferror(file) != 0;
  const int error = errno;
  if (!standard_input) std::fclose(file);
  errno = error;
  return !failed;
}

int RunBatch(const char* list, const std::string& directory, bool quiet) {
  std::string text;
  if (!ReadList(list, &text)) {
    Complain("cannot read %s: %s", list, std::strerror(errno));
    return CLI_EXIT_USAGE;
  }
  const char* shown_list =
      std::strcmp(list, CLI_STANDARD_INPUT) == 0 ? CLI_STANDARD_INPUT_SHOWN : list;
  const BatchList batch = ParseBatchList(text);
  if (!batch.problems.empty()) {
    for (const BatchProblem& problem : batch.problems) {
      std::fprintf(stderr, "%s:%d: %s\n", shown_list, problem.line, problem.text.c_str());
    }
    Complain("%zu bad line%s in %s; nothing was written", batch.problems.size(),
             batch.problems.size() == 1 ? "" : "s", shown_list);
    return CLI_EXIT_USAGE;
  }
  int written = 0;
  int failed = 0;
  for (const BatchEntry& entry : batch.entries) {
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
  return WriteFile(seconds, directory, name, quiet) ? CLI_EXIT_WRITTEN : CLI_EXIT_FAILED;
}

// Tallies the files of a --check run and prints each one's line: those the game plays on
// stdout (none when quiet), the others on stdout or, when quiet, on stderr.
struct CheckRun {
  bool quiet = false;
  int plays = 0;
  int doNot = 0;

  void Report(const std::string& path) {
    const VoiceCheck check = CheckVoiceFile(path);
    const std::string line = DescribeVoiceCheck(path, check);
    if (check.verdict == VoiceVerdict::Plays) {
      ++plays;
      if (!quiet) std::printf("%s\n", line.c_str());
      return;
    }
    ++doNot;
    if (check.verdict == VoiceVerdict::Unreadable) {
      Complain("%s", line.c_str());
    } else if (quiet) {
      std::fflush(stdout);
      std::fprintf(stderr, "%s\n", line.c_str());
    } else {
      std::printf("%s\n", line.c_str());
    }
  }
};

int RunCheck(int count, char** paths, bool quiet) {
  if (count == 0) return ReportBadUsage("--check needs a file or a folder");
  CheckRun run;
  run.quiet = quiet;
  bool counted = count > 1;
  for (int i = 0; i < count; ++i) {
    if (!IsFolder(paths[i])) {
      run.Report(paths[i]);
      continue;
    }
    counted = true;
    const VoiceFolder folder = ListVoiceFiles(paths[i]);
    for (const VoiceFolder::Failure& failure : folder.failures) {
      Complain("cannot read the folder %s: %s", failure.path.c_str(), failure.reason.c_str());
      ++run.doNot;
    }
    for (const std::string& file : folder.files) run.Report(file);
  }
  if (counted && !quiet) {
    const int files = run.plays + run.doNot;
    std::printf("%d file%s: %d play%s, %d do%s not\n", files, files == 1 ? "" : "s", run.plays,
                run.plays == 1 ? "s" : "", run.doNot, run.doNot == 1 ? "es" : "");
  }
  return run.doNot > 0 ? CLI_EXIT_FAILED : CLI_EXIT_WRITTEN;
}

int Run(int argc, char** argv) {
  Options options;
  std::string problem;
  if (!ReadOptions(argc, argv, &options, &problem)) return ReportBadUsage(problem);
  if (options.help) {
    std::printf(CLI_HELP_FORMAT, SILENCE_MAX_SECONDS, GENERATE_GAME_MAX_SECONDS,
                static_cast<int>(CHECK_MP3_LONGEST_SECONDS));
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
    return RunCheck(count, argv + optind, options.quiet);
  }
  std::string directory;
  if (options.directory && !PrepareDirectory(options.directory, &directory, &problem)) {
    return ReportBadUsage(problem);
  }
  if (options.batch) {
    if (count > 0) return ReportBadUsage("extra argument \"" + std::string(argv[optind]) + "\"");
    return RunBatch(options.batch, directory, options.quiet);
  }
  return RunSingle(count, argv + optind, directory, options.quiet);
}

}  // namespace

int main(int argc, char** argv) {
  SetBoxPresenter(PrintBox);
  int status = Run(argc, argv);
  // A report that could not be written must not pass for a run that went well.
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "%s: cannot write to standard output: %s\n", CLI_NAME,
                 std::strerror(errno));
    if (status == CLI_EXIT_WRITTEN) status = CLI_EXIT_FAILED;
  }
  return status;
}
