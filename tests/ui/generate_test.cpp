// The Generate command pressed on the real window with the real writer: what the fields
// show at each pause, which file appears where, and what the name field holds after.
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/ui/window_test_support.h"

namespace fs = std::filesystem;

namespace {

std::string Announcement(const std::string& file, const fs::path& directory) {
  return "\n>>> Output file: \"" + file + "\"\n>>> Target directory: \"" +
         directory.string() + "/\"";
}

std::string SuccessText(int elapsed) {
  return "\n>>> Compilation has been successful :)\n>>> Elapsed time: " +
         std::to_string(elapsed) + (elapsed == 1 ? " second" : " seconds");
}

const char* const FAILURE_TEXT = "\n>>> Compilation has failed :(";

LocalDateTime RealLocalTime() {
  time_t now = time(nullptr);
  tm local = {};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

class GenerateTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    // The writer reads the clock while it works: the moments prove "Working" is shown.
    ReplaceLocalClock([this] {
      clock_statuses.push_back(Text(ui->status_output->value()));
      return RealLocalTime();
    });
  }

  void TearDown() override {
    ReplaceLocalClock(nullptr);
    WindowTest::TearDown();
  }

  // A fresh window, as after a new start of the program.
  void Restart() {
    TearDown();
    recorded.clear();
    box_texts.clear();
    clock_statuses.clear();
    SetUp();
  }

  void UseWorkingDirectory(const TempFolder& folder) {
    own_current_dir = folder.OwnForm();
    current_dir = own_current_dir.data();
  }

  std::vector<std::string> clock_statuses;
  std::string own_current_dir;
};

TEST_F(GenerateTest, SuccessfulRunAnnouncesWorksReportsAndLeavesTheBareName) {
  TempFolder target;
  ChooseDirectory(PickDirectory(target.path().string()));
  ui->filename_input->value("voice.wav");
  TypeLength("1");
  recorded.clear();

  ui->generate_button->do_callback();

  const std::string announced = Announcement("voice.mp3", target.path());
  const std::vector<Recorded> expected = {
      {"pause 500", "", "Idle"},
      {"pause 1000", announced, "Idle"},
      {"pause 1000", announced, "Success"},
      {"pause 1000", "", "Idle"},
  };
  EXPECT_EQ(recorded, expected);
  EXPECT_TRUE(box_texts.empty());
  ASSERT_FALSE(clock_statuses.empty()) << "the writer did not run";
  for (const std::string& status : clock_statuses) EXPECT_EQ(status, "Working");

  EXPECT_TRUE(ui->encode_ok);
  EXPECT_GE(ui->encode_result, 0);
  EXPECT_EQ(Text(ui->feedback_output->value()), SuccessText(ui->encode_result));
  EXPECT_EQ(Text(ui->status_output->value()), "Idle");
  EXPECT_STREQ(ui->filename_input->value(), "voice");
  EXPECT_GT(fs::file_size(target.path() / "voice.mp3"), 128u);
  EXPECT_FALSE(fs::exists(target.path() / "voice.wav"));

  // Pressed again, the field's "voice" makes the same file again.
  recorded.clear();
  ui->generate_button->do_callback();
  ASSERT_GE(recorded.size(), 2u);
  EXPECT_EQ(recorded[1].feedback, announced);
  EXPECT_TRUE(ui->encode_ok);
}

TEST_F(GenerateTest, FailedRunShowsFailureAfterTheWritersBox) {
  TempFolder folder;
  const fs::path missing = folder.path() / "missing";
  ChooseDirectory(PickDirectory(missing.string()));
  ui->filename_input->value("voice.mp3");
  TypeLength("3");
  recorded.clear();

  ui->generate_button->do_callback();

  const std::string announced = Announcement("voice.mp3", missing);
  const std::vector<Recorded> expected = {
      {"pause 500", "", "Idle"},
      {"pause 1000", announced, "Idle"},
      {"box", announced, "Working"},
      {"pause 1000", announced, "Failure"},
      {"pause 1000", "", "Idle"},
  };
  EXPECT_EQ(recorded, expected);
  ASSERT_EQ(box_texts.size(), 1u);
  EXPECT_FALSE(ui->encode_ok);
  EXPECT_EQ(ui->encode_result, -1);
  EXPECT_EQ(Text(ui->feedback_output->value()), FAILURE_TEXT);
  EXPECT_EQ(Text(ui->status_output->value()), "Idle");
  EXPECT_STREQ(ui->filename_input->value(), "voice") << "written back after a failure too";
  EXPECT_TRUE(fs::is_empty(folder.path()));
}

TEST_F(GenerateTest, LengthZeroAsksForSecondsAndMakesNothing) {
  TempFolder folder;
  WorkingDirectory in_folder(folder.path());
  UseWorkingDirectory(folder);
  ui->filename_input->value("voice.wav");
  ui->feedback_output->value("\n>>> an earlier text");

  ui->generate_button->do_callback();

  const std::vector<Recorded> expected = {
      {"pause 500", "\n>>> an earlier text", "Idle"},
      {"pause 4000", "\n>>> Give me some seconds to encode & I will make it ;)", "Idle"},
  };
  EXPECT_EQ(recorded, expected);
  EXPECT_EQ(Text(ui->feedback_output->value()), "");
  EXPECT_EQ(Text(ui->status_output->value()), "Idle");
  EXPECT_STREQ(ui->filename_input->value(), "voice.wav") << "nothing is written back";
  EXPECT_TRUE(clock_statuses.empty()) << "the writer ran";
  EXPECT_TRUE(fs::is_empty(folder.path()));
}

TEST_F(GenerateTest, AnnouncesAndWritesEachOfTheFourForms) {
  TempFolder working;
  TempFolder target;
  WorkingDirectory in_working(working.path());
  const struct {
    const char* typed;
    bool choose_target;
    const char* file;
  } rows[] = {
      {"voice", true, "voice.mp3"},
      {"", true, "blankfile.mp3"},
      {"voice", false, "voice.mp3"},
      {"", false, "blankfile.mp3"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.typed) + (row.choose_target ? " in target" : " in working"));
    Restart();
    UseWorkingDirectory(working);
    const fs::path& where = row.choose_target ? target.path() : working.path();
    if (row.choose_target) ChooseDirectory(PickDirectory(target.path().string()));
    ui->filename_input->value(row.typed);
    TypeLength("1");
    recorded.clear();

    ui->generate_button->do_callback();

    ASSERT_EQ(recorded.size(), 4u);
    EXPECT_EQ(recorded[1].feedback, Announcement(row.file, where));
    EXPECT_TRUE(ui->encode_ok);
    EXPECT_TRUE(fs::exists(where / row.file));
    EXPECT_STREQ(ui->filename_input->value(), row.typed);
  }
  // Every file went where it was announced, and nowhere else.
  EXPECT_EQ(std::distance(fs::directory_iterator(working.path()), fs::directory_iterator()), 2);
  EXPECT_EQ(std::distance(fs::directory_iterator(target.path()), fs::directory_iterator()), 2);
}

TEST_F(GenerateTest, LongAnnouncementIsCutForDisplayButTheNameIsNot) {
  TempFolder target;
  ChooseDirectory(PickDirectory(target.path().string()));
  const std::string long_name(600, 'n');
  ui->filename_input->value((long_name + ".wav").c_str());
  TypeLength("1");
  recorded.clear();

  ui->generate_button->do_callback();

  ASSERT_GE(recorded.size(), 2u);
  EXPECT_EQ(recorded[1].feedback.size(), 511u);
  EXPECT_EQ(recorded[1].feedback, ("\n>>> Output file: \"" + long_name).substr(0, 511));
  EXPECT_EQ(std::string(ui->filename_input->value()), long_name)
      << "the name comes back whole, ready for the next run";
}

TEST_F(GenerateTest, TypedLengthIsHeldToTheRangeAndShownAsHeld) {
  const struct {
    const char* typed;
    int held;
    const char* shown;
  } rows[] = {
      {"5", 5, "5"},
      {"28800", 28800, "28800"},
      {"70000", 28800, "28800"},  // never the 16-bit wrap to 4464
      {"65536", 28800, "28800"},
      {"-5", 0, "0"},
      {"0", 0, "0"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.typed);
    TypeLength(row.typed);
    EXPECT_EQ(ui->silence_seconds, row.held);
    EXPECT_EQ(ui->silence_time_input->value(), row.held);
    EXPECT_STREQ(ui->silence_time_input->input.value(), row.shown);
  }
}

}  // namespace
