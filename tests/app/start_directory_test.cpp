// The start folder the window names: held whole in the program's own form, or left empty.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "app/startup.h"
#include "support/io_tools.h"

namespace {

namespace fs = std::filesystem;

TEST(StartDirectory, IsHeldWholeOrLeftEmptyWhenItCannotBeNamed) {
  char pattern[] = "/tmp/hm-start-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string base = pattern;
  const fs::path previous = fs::current_path();
  // A folder whose path has exactly length characters.
  const auto of_length = [&](size_t length) {
    return base + "/" + std::string(200, 'a') + "/" + std::string(length - base.size() - 202, 'b');
  };
  const std::string gone = base + "/gone";
  // The longest folder that is held has 254 characters: with its backslash it fills the
  // 256-byte block.
  const struct { std::string folder; bool held; } rows[] = {
      {base + "/plain", true}, {base + "/a\\b", false}, {of_length(254), true},
      {of_length(255), false}, {of_length(259), false}, {of_length(306), false},
      {gone, false},
  };
  for (const auto& row : rows) {
    fs::create_directories(row.folder);
    fs::current_path(row.folder);
    if (row.folder == gone) fs::remove(gone);
    char* read = ReadStartDirectory();
    std::string own = row.folder + "/";
    for (char& c : own) c = c == '/' ? '\\' : c;
    EXPECT_EQ(std::string(read), row.held ? own : "") << row.folder.size() << " " << row.folder;
    FreeMemory(read);
    fs::current_path(previous);
  }
  fs::remove_all(base);
}

}  // namespace
