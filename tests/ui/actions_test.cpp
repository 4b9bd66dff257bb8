// The window's actions other than a real Generate run, pressed on the real widgets: help
// pages, links, mail, tooltips switch and directory chooser.
#include "tests/ui/window_test_support.h"

#include <algorithm>
#include <memory>

#include "generator/generate_command.h"

namespace {

using namespace std::string_literals;
using ActionsTest = WindowTest;

// The pages are told apart by how they begin; the fourth press empties the field.
TEST_F(ActionsTest, WelcomePagesThroughThreeHelpTextsAndAnEmptyField) {
  for (const std::string begins : {"\n>>> When you want", "\n\".mp3\" files used",
                                   "\nvoice files to", "", "\n>>> When you want"}) {
    ui->welcome_button->do_callback();
    const std::string shown = Text(ui->feedback_output->value());
    EXPECT_EQ(shown.substr(0, begins.size()), begins) << shown;
    EXPECT_TRUE(begins.empty() ? shown.empty() : shown.size() > 150) << shown;
  }
}

// Each banner opens the address of its own picture, each after the encoder's version
// text; the credit line opens the feedback mail. The opener is called once, while the
// launching text shows, and the field is emptied after.
TEST_F(ActionsTest, LinksShowTheirTextsThenOpenTheTargetOfTheirPictureWithoutWaiting) {
  char version[] = "\n>>> DLL version:               1.00";
  version_text = version;
  const struct { Fl_Button* button; Fl_Pixmap* picture; std::string target, program; } rows[] = {
      {ui->link_button_1, &banner_image_1, LINK_WEB_ADDRESS_1, "Internet browser"},
      {ui->link_button_2, &banner_image_2, LINK_WEB_ADDRESS_2, "Internet browser"},
      {ui->link_button_3, &banner_image_3, LINK_WEB_ADDRESS_3, "Internet browser"},
      {ui->mail_button, nullptr, LINK_FEEDBACK_MAIL, "mail application"},
  };
  for (const auto& row : rows) {
    ui->feedback_output->value("earlier");
    Press(row.button);
    const std::string said = "\n>>> Launching default " + row.program + "... | Idle";
    std::vector<std::string> expected = {"earlier | Idle", version + " | Idle"s, said,
                                         "open " + row.target + ": " + said, said};
    if (!row.picture) expected.erase(expected.begin() + 1);  // the mail shows no version
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
  // What is picked ("" cancels) and what Generate uses then.
  const std::pair<std::string, std::string> picks[] = {
      {first.string(), OwnForm(first)}, {"", OwnForm(first)}, {second.string(), OwnForm(second)}};
  std::vector<std::unique_ptr<Fl_Widget_Tracker>> choosers;  // each chooser's window
  const auto alive = [&choosers] {
    return std::count_if(choosers.begin(), choosers.end(), [](auto& t) { return t->exists(); });
  };
  for (const auto& [pick, used] : picks) {
    // Spinning through the 0.3 s wait would take about as much processor time.
    EXPECT_LT(ChooseDirectory(pick, 0.3), 0.1) << "the wait for the chooser is not asleep";
    choosers.push_back(std::make_unique<Fl_Widget_Tracker>(ui->dir_chooser->newButton->window()));
    EXPECT_EQ(alive(), 1) << "the chooser before was not destroyed";
    EXPECT_FALSE(ui->dir_chooser->shown()) << "the action returned before the chooser closed";
    ui->generate_button->do_callback();  // length 0: reads the selection, writes nothing
    EXPECT_EQ(Text(ui->target_dir), used) << pick;
  }
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
