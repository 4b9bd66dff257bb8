// What the POSIX replacement promises beyond the shared tests: the written file has no
// name until it is complete, and every step after the start goes through the held
// folder, so a folder moved during a run gets the file and no leftover.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>

#include "platform/platform.h"

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

std::set<std::string> Names(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

class PosixReplacementTest : public testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    top_ = fs::temp_directory_path() / ("hm-replace-posix-" + std::to_string(random()));
    ASSERT_TRUE(fs::create_directories(top_ / "folder"));
  }
  void TearDown() override { fs::remove_all(top_); }

  // Begins a replacement of folder/voice.mp3 and writes text through its stream.
  Replacement* Begin(const std::string& text) {
    FileFailure failure;
    FILE* stream = nullptr;
    const std::string target = (top_ / "folder" / "voice.mp3").string();
    Replacement* replacement = BeginReplacement(target.c_str(), &stream, &failure);
    EXPECT_NE(replacement, nullptr) << failure.path << ": " << failure.reason;
    if (stream) {
      std::fputs(text.c_str(), stream);
      std::fclose(stream);
    }
    return replacement;
  }

  fs::path top_;
};

TEST_F(PosixReplacementTest, AFileWithNoNameUntilCompleteFollowsItsFolderMovedDuringARun) {
  for (const bool finished : {true, false}) {
    SCOPED_TRACE(finished ? "finished" : "abandoned");
    Replacement* replacement = Begin("moved");
    ASSERT_NE(replacement, nullptr);
    EXPECT_TRUE(Names(top_ / "folder").empty()) << "a name before the file is complete";
    EXPECT_EQ(ReadFile(GetReplacementPath(replacement)), "moved");
    fs::rename(top_ / "folder", top_ / "moved");
    if (finished) {
      FileFailure failure;
      ASSERT_TRUE(FinishReplacement(replacement, &failure)) << failure.reason;
      EXPECT_EQ(ReadFile(top_ / "moved" / "voice.mp3"), "moved");
    } else {
      AbandonReplacement(replacement);
    }
    EXPECT_EQ(Names(top_), std::set<std::string>{"moved"});
    EXPECT_EQ(Names(top_ / "moved").count("voice.mp3"), finished ? 1u : 0u);
    EXPECT_EQ(Names(top_ / "moved").size(), finished ? 1u : 0u) << "a leftover";
    fs::remove_all(top_ / "moved");
    fs::create_directory(top_ / "folder");
  }
}

// A hard-linked target is written over in place; a file-size limit below the new file's
// length must fail before the target changes, and say that it is kept.
TEST_F(PosixReplacementTest, AnInPlaceWriteThatCannotFitLeavesTheTargetAsItWas) {
  const fs::path target = top_ / "folder" / "voice.mp3";
  std::ofstream(target) << "old";
  fs::create_hard_link(target, top_ / "folder" / "other.mp3");
  const std::string longer(8192, 'n');
  Replacement* replacement = Begin(longer);
  ASSERT_NE(replacement, nullptr);
  const pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit = {4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    FileFailure failure;
    const bool told = !FinishReplacement(replacement, &failure) &&
                      failure.path == target.string() && failure.reason == "File too large" &&
                      failure.targetKept;
    _exit(told ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
  EXPECT_EQ(ReadFile(target), "old");
  EXPECT_EQ(ReadFile(top_ / "folder" / "other.mp3"), "old");
  AbandonReplacement(replacement);
  EXPECT_EQ(Names(top_ / "folder"), (std::set<std::string>{"other.mp3", "voice.mp3"}));
}

}  // namespace
