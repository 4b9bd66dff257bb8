// Benchmark driver: writes one silent MP3 with the program's writer.
// Usage: hushmaker_bench <seconds> <directory> <file name>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "generator/generate_command.h"
#include "generator/hushmaker.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s <seconds> <directory> <file name>\n", argv[0]);
    return 2;
  }
  // A failure box would need a display; the driver prints its text instead.
  ReplaceBoxPresenter([](const char* caption, const char* text, BoxIcon) {
    std::fprintf(stderr, "%s\n%s\n", caption, text);
  });
  std::string directory;
  if (PrepareTargetDirectory(argv[2], &directory) != DirectoryProblem::None) {
    std::fprintf(stderr, "%s: cannot write into the folder \"%s\"\n", argv[0], argv[2]);
    return 2;
  }
  const int elapsed = CreateBlankMP3(std::atoi(argv[1]), directory.c_str(), argv[3]);
  std::printf("%d\n", elapsed);
  return elapsed < 0 ? 1 : 0;
}
