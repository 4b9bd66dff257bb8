// The Generate command pressed on the real window with the real writer: what the fields
// show at each pause, which file appears where, and what the name field holds after.
#include "tests/ui/window_test_support.h"

namespace {

std::string Announcement(const std::string& file, const fs::path& directory) {
  return "\n>>> Output file: \"" + file + "\"\n>>> Target directory: \"" + directory.string() +
         "/\"";
}

using GenerateTest = WindowTest;

TEST_F(GenerateTest, SuccessfulRunsAnnounceEachFormReportAndWriteBackTheBareName) {
  const fs::path target = work / "target";
  fs::create_directories(target);
  // The working directory first: a chosen directory cannot be unchosen.
  const struct { const char* typed; bool in_target; const char *file, *written_back; } rows[] = {
      {"voice", false, "voice.mp3", "voice"},
      {"", false, "blankfile.mp3", ""},
      {"voice.wav", true, "voice.mp3", "voice"},
      {"", true, "blankfile.mp3", ""},
  };
  TypeLength("1");
  for (const auto& row : rows) {
    const fs::path& where = row.in_target ? target : work;
    if (row.in_target) ChooseDirectory(target.string());
    ui->filename_input->value(row.typed);
    ui->feedback_output->value("earlier");
    recorded.clear();
    ui->generate_button->do_callback();

    const std::string said = Announcement(row.file, where);
    const std::string seconds = std::to_string(ui->encode_result);
    EXPECT_EQ(recorded, Steps({{"pause 500", "earlier", "Idle"}, {"pause 1000", said, "Idle"},
                               {"pause 1000", said, "Success"}, {"pause 1000", "", "Idle"}}));
    EXPECT_EQ(Text(ui->feedback_output->value()),
              "\n>>> Compilation has been successful :)\n>>> Elapsed time: " + seconds +
                  (seconds == "1" ? " second" : " seconds"));
    EXPECT_STREQ(ui->filename_input->value(), row.written_back);
    EXPECT_GT(fs::file_size(where / row.file), 128u);
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(work), {}), 3) << "two files and target";
  EXPECT_EQ(std::distance(fs::directory_iterator(target), {}), 2);
}

TEST_F(GenerateTest, FailedRunShowsFailureAfterTheWritersBoxAndStillWritesBackTheName) {
  const fs::path missing = work / "missing";
  ChooseDirectory(missing.string());
  ui->filename_input->value("voice.mp3");
  TypeLength("3");
  recorded.clear();
  ui->generate_button->do_callback();

  const std::string said = Announcement("voice.mp3", missing);
  EXPECT_EQ(recorded, Steps({{"pause 500", "", "Idle"}, {"pause 1000", said, "Idle"},
                             {"box", said, "Working"}, {"pause 1000", said, "Failure"},
                             {"pause 1000", "", "Idle"}}));
  EXPECT_EQ(Text(ui->feedback_output->value()), "\n>>> Compilation has failed :(");
  EXPECT_STREQ(ui->filename_input->value(), "voice");
  EXPECT_TRUE(fs::is_empty(work));
}

TEST_F(GenerateTest, TypedLengthIsHeldToTheRangeAndZeroAsksForSecondsAndMakesNothing) {
  TypeLength("70000");  // shown as held, never the 16-bit wrap to 4464
  EXPECT_STREQ(ui->silence_time_input->input.value(), "28800");
  EXPECT_EQ(ui->silence_seconds, 28800);
  TypeLength("-5");
  EXPECT_STREQ(ui->silence_time_input->input.value(), "0");
  ui->filename_input->value("voice.wav");
  ui->feedback_output->value("earlier");
  ui->generate_button->do_callback();
  const std::string ask = "\n>>> Give me some seconds to encode & I will make it ;)";
  EXPECT_EQ(recorded, Steps({{"pause 500", "earlier", "Idle"}, {"pause 4000", ask, "Idle"}}));
  EXPECT_EQ(Text(ui->feedback_output->value()), "");
  EXPECT_STREQ(ui->filename_input->value(), "voice.wav") << "nothing is written back";
  EXPECT_TRUE(fs::is_empty(work));
}

}  // namespace
