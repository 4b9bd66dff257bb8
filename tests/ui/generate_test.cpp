// The Generate command pressed on the real window with the real writer: what the fields
// show at each pause, which file appears where, and what the name field holds after.
#include "tests/ui/window_test_support.h"

#include "generator/generate_command.h"

namespace {

using namespace std::string_literals;
using GenerateTest = WindowTest;

TEST_F(GenerateTest, RunsAnnounceTheFileWrittenWarnPastTheGameLimitAndWriteBackTheName) {
  const fs::path target = work / "target", missing = work / "missing";
  fs::create_directories(target / "sub.d");
  // The working directory first: a chosen directory cannot be unchosen. Into the missing
  // folder the writer fails, after the announcement; the field keeps what was typed.
  const struct { const fs::path* chosen; const char *length, *typed, *file, *writtenBack; } rows[] = {
      {nullptr, "1", "voice.wav", "voice.mp3", "voice"},
      {&target, "1", "", "blankfile.mp3", ""},
      {&target, "1", "sub.d/voice", "sub.d/voice.mp3", "sub.d/voice"},
      {&missing, "24347", "/home/ann/voice.mp3", "/home/ann/voice.mp3", "/home/ann/voice.mp3"},
      {&missing, "24348", "voice", "voice.mp3", "voice"},
  };
  for (const auto& row : rows) {
    const fs::path& where = row.chosen ? *row.chosen : work;
    if (row.chosen) ChooseDirectory(row.chosen->string());
    TypeLength(row.length);
    ui->filename_input->value(row.typed);
    ui->feedback_output->value("earlier");
    Press(ui->generate_button);

    const bool ok = row.chosen != &missing, warned = row.length == "24348"s;
    const std::string said = "\n>>> Output file: \""s + row.file + "\"\n>>> Target directory: \"" +
                             where.string() + "/\"" +
                             (warned ? "\n>>> "s + GENERATE_TEXT_GAME_LIMIT : "");
    std::vector<std::string> expected = {"earlier | Idle", said + " | Idle",
                                         said + (ok ? " | Success" : " | Failure"), " | Idle"};
    if (!ok) expected.insert(expected.begin() + 2, "box: " + said + " | Working");
    EXPECT_EQ(recorded, expected) << row.typed;
    // Time to read the announcement, and more to read the warning.
    EXPECT_EQ(paused[said + " | Idle"], warned ? 4000u : 1000u) << row.typed;
    const std::string seconds = std::to_string(ui->encode_result);
    EXPECT_EQ(Text(ui->feedback_output->value()),
              ok ? "\n>>> Compilation has been successful :)\n>>> Elapsed time: " + seconds +
                       (seconds == "1" ? " second" : " seconds")
                 : GENERATE_TEXT_FAILURE);
    EXPECT_STREQ(ui->filename_input->value(), row.writtenBack);
    EXPECT_EQ(fs::exists(where / row.file), ok);
  }
  // No file besides the ones announced.
  EXPECT_EQ(std::distance(fs::directory_iterator(work), {}), 2) << "voice.mp3 and target";
  EXPECT_EQ(std::distance(fs::directory_iterator(target), {}), 2) << "blankfile.mp3 and sub.d";
}

// A folder the program cannot name whole is refused before anything is announced or
// written: a start folder it could not hold, a chosen one with a backslash.
TEST_F(GenerateTest, RefusesAFolderItCannotNameBeforeWritingAnything) {
  const fs::path slashed = work / "a\\b";
  fs::create_directories(slashed);
  fs::create_directories(work / "a" / "b");  // where the backslash would send the file
  TypeLength("1");
  char unheld[] = "";
  current_dir = unheld;
  for (const std::string& chosen : {""s, slashed.string()}) {
    if (!chosen.empty()) ChooseDirectory(chosen);
    Press(ui->generate_button);
    EXPECT_EQ(recorded, (std::vector<std::string>{" | Idle", "box:  | Idle"}));
    ASSERT_EQ(box_texts.size(), 1u);
    EXPECT_NE(box_texts[0].find(chosen.empty() ? "choose a target directory" : "holds a backslash"),
              std::string::npos) << box_texts[0];
    EXPECT_EQ(Text(ui->target_dir), "");
  }
  EXPECT_TRUE(fs::is_empty(slashed) && fs::is_empty(work / "a" / "b"));
}

TEST_F(GenerateTest, TypedLengthIsTheDecimalNumberShownHeldToTheRange) {
  // Dragging to the right from 0 by 5 + 50 pixels sets 50.
  Fl::e_x_root = 480;
  Fl::e_keysym = FL_Button + 1;
  Fl::e_state = FL_BUTTON1;
  ui->silence_time_input->handle(FL_PUSH);
  Fl::e_x_root += 55;
  ui->silence_time_input->handle(FL_DRAG);
  ui->silence_time_input->handle(FL_RELEASE);
  EXPECT_EQ(ui->silence_seconds, 50);

  // Typed key by key into the emptied field, which takes digits, a leading sign and the
  // toolkit's hexadecimal form only ("0x10" is no decimal number).
  const struct { const char *typed, *shown; int used; } rows[] = {
      {"010", "010", 10}, {"0x10", "0x10", 0}, {"3.7", "37", 37}, {"+5", "+5", 5},
      {"-65535", "05535", 5535},  // "-6" is held to 0, and the rest is typed after it
      {"28801", "28800", 28800}, {"99999999999999999999", "28800", 28800}, {"", "", 0},
  };
  for (const auto& row : rows) {
    TypeLength(row.typed);
    EXPECT_STREQ(ui->silence_time_input->input.value(), row.shown) << row.typed;
    EXPECT_EQ(ui->silence_seconds, row.used) << row.typed;
  }
  // With no length Generate asks for seconds, then empties the field, and writes nothing.
  ui->filename_input->value("voice.wav");
  Press(ui->generate_button);
  EXPECT_EQ(recorded, (std::vector<std::string>{" | Idle", GENERATE_TEXT_LENGTH_ZERO + " | Idle"s}));
  EXPECT_EQ(Text(ui->feedback_output->value()), "");
  EXPECT_STREQ(ui->filename_input->value(), "voice.wav") << "nothing is written back";
  EXPECT_TRUE(fs::is_empty(work));
}

}  // namespace
