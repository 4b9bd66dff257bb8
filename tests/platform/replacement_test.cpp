// The file replacement of the platform layer on the system the tests run on: the written
// file takes the target's place only when finished, and a run that is abandoned or
// refused leaves the folder as it was. Run on Linux and, under Wine, on Windows.
#include <gtest/gtest.h>

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

class ReplacementTest : public testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    folder_ = fs::temp_directory_path() / ("hm-replace-" + std::to_string(random()));
    ASSERT_TRUE(fs::create_directory(folder_));
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

  fs::path folder_;
};

TEST_F(ReplacementTest, TheFinishedFileTakesTheTargetsPlaceAndNothingElseIsLeft) {
  const fs::path target = folder_ / "voice.mp3";
  for (const bool existed : {false, true}) {
    FileFailure failure;
    FILE* stream = nullptr;
    Replacement* replacement = BeginReplacement(target.string().c_str(), &stream, &failure);
    ASSERT_NE(replacement, nullptr) << failure.path << ": " << failure.reason;
    ASSERT_NE(stream, nullptr);
    std::fputs(existed ? "second" : "first", stream);
    ASSERT_EQ(std::fclose(stream), 0);
    // Reopened by name, as the Xing frame and the tag are written.
    FILE* again = std::fopen(GetReplacementPath(replacement), "r+b");
    ASSERT_NE(again, nullptr) << GetReplacementPath(replacement);
    std::fseek(again, 0, SEEK_END);
    std::fputs(" run", again);
    ASSERT_EQ(std::fclose(again), 0);
    EXPECT_EQ(ReadFile(target), existed ? "first run" : "") << "the target before the end";

    ASSERT_TRUE(FinishReplacement(replacement, &failure)) << failure.path << ": " << failure.reason;
    EXPECT_EQ(ReadFile(target), existed ? "second run" : "first run");
    EXPECT_EQ(Names(), std::set<std::string>{"voice.mp3"});
  }
}

TEST_F(ReplacementTest, AnAbandonedOrRefusedRunLeavesTheFolderAsItWas) {
  const fs::path target = folder_ / "voice.mp3";
  std::ofstream(target, std::ios::binary) << "kept";
  FileFailure failure;
  FILE* stream = nullptr;
  Replacement* replacement = BeginReplacement(target.string().c_str(), &stream, &failure);
  ASSERT_NE(replacement, nullptr) << failure.path << ": " << failure.reason;
  std::fputs("lost", stream);
  std::fclose(stream);
  AbandonReplacement(replacement);
  EXPECT_EQ(ReadFile(target), "kept");

  fs::create_directory(folder_ / "folder.mp3");
  for (const fs::path& refused : {folder_ / "folder.mp3", folder_ / "missing" / "voice.mp3"}) {
    failure = {};
    stream = nullptr;
    EXPECT_EQ(BeginReplacement(refused.string().c_str(), &stream, &failure), nullptr) << refused;
    EXPECT_EQ(stream, nullptr);
    EXPECT_EQ(failure.path, refused.string()) << "the file named in the report";
    EXPECT_FALSE(failure.reason.empty()) << refused;
  }
  EXPECT_EQ(Names(), (std::set<std::string>{"folder.mp3", "voice.mp3"}));
}

}  // namespace
