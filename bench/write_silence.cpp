// Benchmark driver: writes one silent MP3 with the program's writer.
// Usage: hushmaker_bench <seconds> <directory> <file name>
#include <cstdio>
#include <cstdlib>
#include <string>

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
  std::string directory = argv[2];
  for (char& c : directory) {
    if (c == '/') c = '\\';
  }
  if (directory.empty() || directory.back() != '\\') directory += '\\';
  const int elapsed = CreateBlankMP3(std::atoi(argv[1]), directory.c_str(), argv[3]);
  std::printf("%d\n", elapsed);
  return elapsed < 0 ? 1 : 0;
}
