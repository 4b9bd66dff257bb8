// The file replacement of the platform layer: the written file takes the target's place
// only when finished, and a run that is abandoned or refused leaves the folder as it was
// (on Linux and, under Wine, on Windows). On POSIX systems the file also has no name until
// it is complete, every step after the start goes through the held folder, and an in-place
// write that cannot fit fails before the target changes.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/platform.h"
#include "tests/test_support.h"

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#endif

namespace {

namespace fs = std::filesystem;

class ReplacementTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(fs::create_directory(folder_)); }

  // Begins a replacement of folder/voice.mp3 and writes text through its stream.
  Replacement* Begin(const std::string& text) {
    FileFailure failure;
    FILE* stream = nullptr;
    Replacement* replacement = BeginReplacement(Target().c_str(), &stream, &failure);
    EXPECT_NE(replacement, nullptr) << failure.path << ": " << failure.reason;
    if (stream) {
      std::fputs(text.c_str(), stream);
      EXPECT_EQ(std::fclose(stream), 0);
    }
    return replacement;
  }
  std::string Target() const { return (folder_ / "voice.mp3").string(); }

  ScratchDirectory top_;
  fs::path folder_ = fs::path(top_.path) / "folder";
};

TEST_F(ReplacementTest, TheFinishedFileTakesTheTargetsPlaceAndNothingElseIsLeft) {
  for (const bool existed : {false, true}) {
    Replacement* replacement = Begin(existed ? "second" : "first");
    ASSERT_NE(replacement, nullptr);
    // Reopened by name, as the Xing frame and the tag are written.
    FILE* again = std::fopen(GetReplacementPath(replacement), "r+b");
    ASSERT_NE(again, nullptr) << GetReplacementPath(replacement);
    std::fseek(again, 0, SEEK_END);
    std::fputs(" run", again);
    ASSERT_EQ(std::fclose(again), 0);
    EXPECT_EQ(ReadFile(Target()), existed ? "first run" : "") << "the target before the end";

    FileFailure failure;
    ASSERT_TRUE(FinishReplacement(replacement, &failure)) << failure.path << ": " << failure.reason;
    EXPECT_EQ(ReadFile(Target()), existed ? "second run" : "first run");
    EXPECT_EQ(ListFolder(folder_), "voice.mp3\n");
  }
}

TEST_F(ReplacementTest, AnAbandonedOrRefusedRunLeavesTheFolderAsItWas) {
  std::ofstream(Target(), std::ios::binary) << "kept";
  Replacement* replacement = Begin("lost");
  ASSERT_NE(replacement, nullptr);
  AbandonReplacement(replacement);
  EXPECT_EQ(ReadFile(Target()), "kept");

  fs::create_directory(folder_ / "folder.mp3");
  for (const fs::path& refused : {folder_ / "folder.mp3", folder_ / "missing" / "voice.mp3"}) {
    FileFailure failure;
    FILE* stream = nullptr;
    EXPECT_EQ(BeginReplacement(refused.string().c_str(), &stream, &failure), nullptr) << refused;
    EXPECT_EQ(stream, nullptr);
    EXPECT_EQ(failure.path, refused.string()) << "the file named in the report";
    EXPECT_FALSE(failure.reason.empty()) << refused;
  }
  EXPECT_EQ(ListFolder(folder_), "folder.mp3\nvoice.mp3\n");
}

#ifndef _WIN32
TEST_F(ReplacementTest, AFileWithNoNameUntilCompleteFollowsItsFolderMovedDuringARun) {
  Replacement* replacement = Begin("moved");
  ASSERT_NE(replacement, nullptr);
  EXPECT_EQ(ListFolder(folder_), "") << "a name before the file is complete";
  const fs::path moved = fs::path(top_.path) / "moved";
  fs::rename(folder_, moved);
  FileFailure failure;
  ASSERT_TRUE(FinishReplacement(replacement, &failure)) << failure.reason;
  EXPECT_EQ(ListFolder(moved), "voice.mp3\n") << "a leftover";
  EXPECT_EQ(ReadFile(moved / "voice.mp3"), "moved");
}

// A hard-linked target is written over in place; a file-size limit below the new file's
// length must fail before the target changes, and say that it is kept.
TEST_F(ReplacementTest, AnInPlaceWriteThatCannotFitLeavesTheTargetAsItWas) {
  std::ofstream(Target()) << "old";
  fs::create_hard_link(Target(), folder_ / "other.mp3");
  Replacement* replacement = Begin(std::string(8192, 'n'));
  ASSERT_NE(replacement, nullptr);
  const pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit = {4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    FileFailure failure;
    const bool told = !FinishReplacement(replacement, &failure) && failure.path == Target() &&
                      failure.reason == "File too large" && failure.targetKept;
    _exit(told ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
  EXPECT_EQ(ReadFile(Target()), "old");
  AbandonReplacement(replacement);
  EXPECT_EQ(ListFolder(folder_), "other.mp3\nvoice.mp3\n");
}
#endif

}  // namespace
