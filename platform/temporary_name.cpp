// Names of the hidden files that replacements write, the same on every system.
#include <algorithm>
#include <random>
#include <string>

#include "platform/native_calls.h"

namespace {

constexpr int TEMPORARY_RANDOM_CHARACTERS = 8;
constexpr char TEMPORARY_PREFIX[] = ".hushmaker-";
constexpr char TEMPORARY_SUFFIX[] = ".tmp";
static_assert(sizeof(TEMPORARY_PREFIX) - 1 + TEMPORARY_RANDOM_CHARACTERS +
                      sizeof(TEMPORARY_SUFFIX) - 1 ==
                  TEMPORARY_NAME_LENGTH,
              "the path length check counts the temporary name");

}  // namespace

std::string MakeTemporaryName(const std::string& directory) {
  static const char alphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device seed;
  std::mt19937 generator(seed());
  std::uniform_int_distribution<size_t> pick(0, sizeof(alphabet) - 2);
  std::string path = directory + TEMPORARY_PREFIX;
  for (int i = 0; i < TEMPORARY_RANDOM_CHARACTERS; ++i) path += alphabet[pick(generator)];
  return path + TEMPORARY_SUFFIX;
}

size_t GetLongestWrittenPathLength(const std::string& path, const char* separators) {
  const size_t separator = path.find_last_of(separators);
  const size_t folder = separator == std::string::npos ? 0 : separator + 1;
  return std::max(path.size(), folder + TEMPORARY_NAME_LENGTH);
}
