// The window's actions other than a real Generate run, pressed on the real widgets: help
// pages, links, mail, tooltips switch and directory chooser.
#include "tests/ui/window_test_support.h"

#include "resources/version_info.h"

namespace {

using ActionsTest = WindowTest;

TEST_F(ActionsTest, WelcomePagesThroughThreeHelpTextsAndAnEmptyFieldAroundGenerate) {
  // A page cut, run on or swapped shows in its length; Generate (length 0 here: its own
  // text, then empty) does not move the sequence.
  Fl_Button* const welcome = ui->welcome_button;
  const struct { Fl_Button* press; size_t length; } steps[] = {
      {welcome, 274}, {welcome, 257}, {ui->generate_button, 0}, {welcome, 166}, {welcome, 0},
      {welcome, 274}};
  for (const auto& step : steps) {
    const Steps::value_type pause = {"pause 500", Text(ui->feedback_output->value()), "Idle"};
    recorded.clear();
    step.press->do_callback();
    EXPECT_EQ(Text(ui->feedback_output->value()).size(), step.length);
    EXPECT_EQ(recorded.at(0), pause);
    EXPECT_EQ(recorded.size(), step.press == welcome ? 1u : 2u);
  }
}

TEST_F(ActionsTest, LinksShowTheirTextsThenOpenTheirTargetWithoutWaiting) {
  char version[] = "\n>>> DLL version:               1.00";
  version_text = version;
  const struct { Fl_Button* button; std::string target; } rows[] = {
      {ui->link_button_1, "https://lame.sourceforge.io/"},
      {ui->link_button_2, "https://en.wikipedia.org/wiki/MP3"},
      {ui->link_button_3, "https://wiki.hydrogenaudio.org/index.php?title=LAME"},
      {ui->mail_button, std::string("mailto:") + VERSION_CONTACT_ADDRESS +
                            "?subject=%22Hushmaker%20feedback%22"},
  };
  for (const auto& row : rows) {
    recorded.clear();
    ui->feedback_output->value("earlier");
    row.button->do_callback();
    const bool mail = row.button == ui->mail_button;
    const std::string said = mail ? "\n>>> Launching default mail application..."
                                  : "\n>>> Launching default Internet browser...";
    Steps expected = {{"pause 500", "earlier", "Idle"}, {"pause 4000", version, "Idle"},
                      {"pause 500", said, "Idle"}, {"open " + row.target, said, "Idle"},
                      {"pause 1000", said, "Idle"}};
    if (mail) expected.erase(expected.begin() + 1);
    EXPECT_EQ(recorded, expected);
    EXPECT_EQ(Text(ui->feedback_output->value()), "") << row.target;
  }
}

TEST_F(ActionsTest, AltDFlipsTheTooltipsSwitchAndItsMark) {
  Fl::e_keysym = 'd';
  Fl::e_state = FL_ALT;
  for (bool on : {true, false}) {
    Fl::handle(FL_KEYBOARD, ui->main_window);
    EXPECT_EQ(Fl_Tooltip::enabled() != 0, on);
    EXPECT_EQ(ui->tooltips_button->value(), on ? 0 : 1);
  }
}

TEST_F(ActionsTest, ChooserIsReadByGenerateACancelKeepsTheChoiceAndTooLongIsRefused) {
  Fl_File_Chooser::filename_label = "Filename:";  // the toolkit's own, process-wide
  const fs::path first = work / "first", second = work / "second";
  for (const fs::path& folder : {first, second}) fs::create_directories(folder);
  // What is picked ("" cancels) and the directory Generate then uses.
  const std::string picks[] = {"", first.string(), "", second.string()};
  const std::string used[] = {"", OwnForm(first), OwnForm(first), OwnForm(second)};
  Fl_File_Chooser* before = nullptr;
  for (int i = 0; i < 4; ++i) {
    ChooseDirectory(picks[i]);
    EXPECT_NE(ui->dir_chooser, before) << "a new chooser for each press";
    EXPECT_FALSE(ui->dir_chooser->shown()) << "the action returned before the chooser closed";
    before = ui->dir_chooser;
    ui->generate_button->do_callback();  // length 0: reads the selection, writes nothing
    EXPECT_EQ(Text(ui->target_dir), used[i]) << i;
  }
  EXPECT_STREQ(before->label(), "Select Output Directory");
  EXPECT_NE(FindByLabel(before->newButton->window(), "Target Dir:"), nullptr);
  // Names must be readable on the black list.
  const int previewable = before->preview() || before->previewButton->visible();
  EXPECT_EQ(std::vector<int>({before->type(), previewable, int(before->color()),
                              int(before->textcolor())}),
            std::vector<int>({Fl_File_Chooser::CREATE | Fl_File_Chooser::DIRECTORY, 0, FL_BLACK,
                              FL_WHITE}));

  // Cut to fit, a too long choice would name another directory.
  ChooseDirectory((first / std::string(300, 'd')).string());
  TypeLength("1");
  recorded.clear();
  ui->generate_button->do_callback();
  ASSERT_EQ(box_texts.size(), 1u);
  EXPECT_NE(box_texts[0].find("longer than 254 characters"), std::string::npos) << box_texts[0];
  EXPECT_EQ(Text(ui->target_dir), OwnForm(second));
  EXPECT_EQ(recorded.size(), 2u) << "the run went on past the box";
  EXPECT_TRUE(fs::is_empty(first) && fs::is_empty(second));
}

}  // namespace
