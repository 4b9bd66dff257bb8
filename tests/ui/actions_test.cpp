// The window's actions other than a real Generate run, pressed on the real widgets: help
// pages, links, mail, tooltips switch and directory chooser.
#include "tests/ui/window_test_support.h"

#include <algorithm>
#include <memory>

#include "generator/generate_command.h"

namespace {

using namespace std::string_literals;
using ActionsTest = WindowTest;

// The pages are told apart by how they begin; a Generate with length 0 between them asks
// for seconds and does not move the sequence.
TEST_F(ActionsTest, WelcomePagesThroughThreeHelpTextsAndAnEmptyFieldAroundGenerate) {
  const std::string page1 = "\n>>> When you want", page2 = "\n\".mp3\" files used",
                    page3 = "\nvoice files to";
  Fl_Button* const welcome = ui->welcome_button;
  const struct { Fl_Button* press; std::string begins; } steps[] = {
      {welcome, page1}, {welcome, page2}, {ui->generate_button, ""}, {welcome, page3},
      {welcome, ""}, {welcome, page1}};
  ui->filename_input->value("voice.wav");
  for (const auto& step : steps) {
    const std::string before = Text(ui->feedback_output->value());
    ClearRecord();
    step.press->do_callback();
    const std::string shown = Text(ui->feedback_output->value());
    EXPECT_EQ(shown.substr(0, step.begins.size()), step.begins) << shown;
    EXPECT_TRUE(step.begins.empty() ? shown.empty() : shown.size() > 150) << shown;
    if (step.press != welcome) {
      EXPECT_EQ(recorded, (std::vector<std::string>{before + " | Idle",
                                                    GENERATE_TEXT_LENGTH_ZERO + " | Idle"s}));
    }
  }
  EXPECT_STREQ(ui->filename_input->value(), "voice.wav") << "nothing is written back";
  EXPECT_TRUE(fs::is_empty(work));
}

// Each banner opens the address of its own picture, each after the encoder's version
// text; the credit line opens the feedback mail. The opener is called once, while the
// launching text shows, and the field is emptied after.
TEST_F(ActionsTest, LinksShowTheirTextsThenOpenTheTargetOfTheirPictureWithoutWaiting) {
  char version[] = "\n>>> DLL version:               1.00";
  version_text = version;
  const struct { Fl_Button* button; Fl_Pixmap* picture; std::string target; } rows[] = {
      {ui->link_button_1, &banner_image_1, LINK_WEB_ADDRESS_1},
      {ui->link_button_2, &banner_image_2, LINK_WEB_ADDRESS_2},
      {ui->link_button_3, &banner_image_3, LINK_WEB_ADDRESS_3},
      {ui->mail_button, nullptr, LINK_FEEDBACK_MAIL},
  };
  for (const auto& row : rows) {
    ClearRecord();
    ui->feedback_output->value("earlier");
    row.button->do_callback();
    const bool mail = row.button == ui->mail_button;
    const std::string said = mail ? "\n>>> Launching default mail application..."
                                  : "\n>>> Launching default Internet browser...";
    std::vector<std::string> expected = {"earlier | Idle", version + " | Idle"s,
                                         said + " | Idle",
                                         "open " + row.target + ": " + said + " | Idle",
                                         said + " | Idle"};
    if (mail) expected.erase(expected.begin() + 1);
    EXPECT_EQ(recorded, expected);
    EXPECT_EQ(Text(ui->feedback_output->value()), "") << row.target;
    EXPECT_EQ(row.button->image(), row.picture) << row.target;
  }
}

TEST_F(ActionsTest, AltDFlipsTheTooltipsSwitchAndItsMark) {
  for (bool on : {true, false}) {
    PressKey('d', "d", FL_ALT);
    EXPECT_EQ(Fl_Tooltip::enabled() != 0, on);
    EXPECT_EQ(ui->tooltips_button->value(), on ? 0 : 1);
  }
}

TEST_F(ActionsTest, ChooserIsReadByGenerateACancelKeepsTheChoiceAndEachChooserIsDestroyed) {
  Fl_File_Chooser::filename_label = "Filename:";  // the toolkit's own, process-wide
  const fs::path first = work / "first", second = work / "second";
  for (const fs::path& folder : {first, second}) fs::create_directories(folder);
  // What is picked ("" cancels; the last is refused as too long) and what Generate uses.
  const std::string picks[] = {"", first.string(), "", second.string(),
                               (first / std::string(300, 'd')).string()};
  const std::string used[] = {"", OwnForm(first), OwnForm(first), OwnForm(second), OwnForm(second)};
  std::vector<std::unique_ptr<Fl_Widget_Tracker>> choosers;  // each chooser's window
  const auto alive = [&choosers] {
    return std::count_if(choosers.begin(), choosers.end(), [](auto& t) { return t->exists(); });
  };
  for (int i = 0; i < 5; ++i) {
    ChooseDirectory(picks[i], i == 0 ? 0.5 : 0);
    choosers.push_back(std::make_unique<Fl_Widget_Tracker>(ui->dir_chooser->newButton->window()));
    EXPECT_EQ(alive(), 1) << "the chooser before was not destroyed";
    EXPECT_FALSE(ui->dir_chooser->shown()) << "the action returned before the chooser closed";
    ui->generate_button->do_callback();  // length 0: reads the selection, writes nothing
    EXPECT_EQ(Text(ui->target_dir), used[i]) << i;
  }
  // Spinning through the 0.5 s wait would take about as much processor time.
  EXPECT_LT(processor_seconds_open, 0.1) << "the wait for the chooser is not asleep";
  Fl_File_Chooser* chooser = ui->dir_chooser;
  EXPECT_NE(FindByLabel(chooser->newButton->window(), "Target Dir:"), nullptr);
  // Black names: the scheme draws the list light grey whatever its colour.
  const int previewable = chooser->preview() || chooser->previewButton->visible();
  EXPECT_EQ(std::vector<int>({chooser->type(), previewable, int(chooser->textcolor())}),
            std::vector<int>({Fl_File_Chooser::CREATE | Fl_File_Chooser::DIRECTORY, 0, FL_BLACK}));
  delete ui->main_window;
  delete std::exchange(ui, nullptr);
  EXPECT_EQ(alive(), 0) << "the window object left its chooser behind";
}

}  // namespace
