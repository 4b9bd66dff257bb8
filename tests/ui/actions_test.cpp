// The window's actions other than Generate, pressed on the real widgets: help pages,
// links, mail, tooltips, directory chooser, exit, and the keys that reach them.
#include <FL/Fl_Tooltip.H>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "resources/version_info.h"
#include "tests/ui/window_test_support.h"

namespace {

const char* const PAGE_1 =
    "\n>>> When you want a NPC to say something by displaying TEXT on the screen, then you "
    "need a voice file to help this text lasting on the latter. Indeed, those subtitles "
    "remain displayed only while there is yet voice data to be read. For Elite Force, those "
    "subtitles (plus the";
const char* const PAGE_2 =
    "\n\".mp3\" files used to provide voice output are defined in \".pre\" files under the "
    "\"real_scripts\" directory; for Jedi Outcast, there are defined in \".sp\" files under "
    "the \"strip\" directory, within \"assets1.pk3\". The purpose of this program is to "
    "generate empty";
const char* const PAGE_3 =
    "\nvoice files to make your dialogs remain n seconds displayed on the screen. Now, you "
    "should have guessed why I have made this program, at least do I hope it ;) Enjoy!";

const char* const VERSION =
    "\n>>> DLL version:               1.00\n>>> Engine version:            3.100"
    "\n>>> Official Project homepage: https://lame.sourceforge.io/";

bool Contains(const std::vector<Recorded>& recorded, const std::string& event) {
  for (const Recorded& r : recorded) {
    if (r.event == event) return true;
  }
  return false;
}

using ActionsTest = WindowTest;

TEST_F(ActionsTest, EachWidgetRunsItsOwnAction) {
  struct Row {
    const char* name;
    std::function<void()> press;
    std::function<bool()> acted;
  };
  // Generate first, while the length is 0, so that it stops before the writer.
  const Row rows[] = {
      {"generate_button", [&] { ui->generate_button->do_callback(); },
       [&] { return Contains(recorded, "pause 4000"); }},
      {"welcome_button", [&] { ui->welcome_button->do_callback(); },
       [&] { return Text(ui->feedback_output->value()) == PAGE_1; }},
      {"silence_time_input", [&] { TypeLength("7"); }, [&] { return ui->silence_seconds == 7; }},
      {"output_dir_button", [&] { ChooseDirectory(CancelChooser()); },
       [&] { return ui->dir_chosen && ui->dir_chooser; }},
      {"link_button_1", [&] { ui->link_button_1->do_callback(); },
       [&] { return Contains(recorded, "open https://lame.sourceforge.io/"); }},
      {"link_button_2", [&] { ui->link_button_2->do_callback(); },
       [&] { return Contains(recorded, "open https://en.wikipedia.org/wiki/MP3"); }},
      {"link_button_3", [&] { ui->link_button_3->do_callback(); },
       [&] {
         return Contains(recorded, "open https://wiki.hydrogenaudio.org/index.php?title=LAME");
       }},
      {"tooltips_button", [&] { ui->tooltips_button->do_callback(); },
       [&] { return Fl_Tooltip::enabled() != 0; }},
      {"mail_button", [&] { ui->mail_button->do_callback(); },
       [&] { return Contains(recorded, "open " + LINK_FEEDBACK_MAIL); }},
      {"exit_button", [&] { ui->exit_button->do_callback(); },
       [&] { return !ui->main_window->shown(); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_FALSE(row.acted()) << "acted before the press";
    row.press();
    EXPECT_TRUE(row.acted());
  }
}

// Delivers a key press to the window the way the toolkit delivers one from X.
void PressKey(Fl_Window* window, int key, int state, const char* text) {
  Fl::e_keysym = key;
  Fl::e_state = state;
  Fl::e_text = const_cast<char*>(text);
  Fl::e_length = static_cast<int>(strlen(text));
  Fl::handle(FL_KEYBOARD, window);
}

TEST_F(ActionsTest, KeysReachTheirButtonsFromTheNameField) {
  struct Row {
    const char* name;
    int key;
    int state;
    const char* text;
    std::function<bool()> acted;
  };
  auto hidden = [&] { return !ui->main_window->shown(); };
  const Row rows[] = {
      {"Alt+D", 'd', FL_ALT, "d",
       [&] { return Fl_Tooltip::enabled() && ui->tooltips_button->value() == 0; }},
      {"Alt+G", 'g', FL_ALT, "g", [&] { return Contains(recorded, "pause 4000"); }},
      {"Alt+O", 'o', FL_ALT, "o", [&] { return ui->dir_chosen; }},
      {"Enter", FL_Enter, 0, "\r", hidden},
      {"keypad Enter", FL_KP_Enter, 0, "\r", hidden},
      {"Escape", FL_Escape, 0, "\033", hidden},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ui->main_window->show();
    Fl::check();
    Fl::focus(ui->filename_input);
    if (row.key == 'o') AnswerNextChooser(CancelChooser());
    PressKey(ui->main_window, row.key, row.state, row.text);
    EXPECT_TRUE(row.acted());
    EXPECT_STREQ(ui->filename_input->value(), "") << "the key was typed into the field";
  }
}

TEST_F(ActionsTest, WelcomePagesThroughThreeHelpTextsAndAnEmptyField) {
  // A page cut or run on shows in its length: 274, 257 and 166 characters.
  ASSERT_EQ(strlen(PAGE_1), 274u);
  ASSERT_EQ(strlen(PAGE_2), 257u);
  ASSERT_EQ(strlen(PAGE_3), 166u);
  const char* expected[] = {PAGE_1, PAGE_2, PAGE_3, "", PAGE_1, PAGE_2};
  for (const char* page : expected) {
    recorded.clear();
    ui->welcome_button->do_callback();
    EXPECT_EQ(Text(ui->feedback_output->value()), page);
    ASSERT_EQ(recorded.size(), 1u);
    EXPECT_EQ(recorded[0].event, "pause 500");
  }
}

TEST_F(ActionsTest, GenerateBetweenHelpPagesDoesNotMoveTheSequence) {
  ui->welcome_button->do_callback();
  ui->generate_button->do_callback();  // length 0: shows its own text, then empties
  EXPECT_EQ(Text(ui->feedback_output->value()), "");
  ui->welcome_button->do_callback();
  EXPECT_EQ(Text(ui->feedback_output->value()), PAGE_2);
}

TEST_F(ActionsTest, BannerLinksShowVersionThenLaunchTheirPage) {
  char version[256];
  snprintf(version, sizeof version, "%s", VERSION);
  version_text = version;
  const struct {
    Fl_Button* button;
    const char* address;
  } rows[] = {
      {ui->link_button_1, "https://lame.sourceforge.io/"},
      {ui->link_button_2, "https://en.wikipedia.org/wiki/MP3"},
      {ui->link_button_3, "https://wiki.hydrogenaudio.org/index.php?title=LAME"},
  };
  const std::string launching = "\n>>> Launching default Internet browser...";
  for (const auto& row : rows) {
    SCOPED_TRACE(row.address);
    recorded.clear();
    ui->feedback_output->value("\n>>> an earlier text");
    row.button->do_callback();
    const std::vector<Recorded> expected = {
        {"pause 500", "\n>>> an earlier text", "Idle"},
        {"pause 4000", VERSION, "Idle"},
        {"pause 500", launching, "Idle"},
        {std::string("open ") + row.address, launching, "Idle"},
        {"pause 1000", launching, "Idle"},
    };
    EXPECT_EQ(recorded, expected);
    EXPECT_EQ(Text(ui->feedback_output->value()), "");
  }
}

TEST_F(ActionsTest, CreditLineLaunchesTheFeedbackMail) {
  ui->mail_button->do_callback();
  const std::string launching = "\n>>> Launching default mail application...";
  const std::string mail =
      std::string("mailto:") + VERSION_CONTACT_ADDRESS + "?subject=%22Hushmaker%20feedback%22";
  const std::vector<Recorded> expected = {
      {"pause 500", "", "Idle"},
      {"pause 500", launching, "Idle"},
      {"open " + mail, launching, "Idle"},
      {"pause 1000", launching, "Idle"},
  };
  EXPECT_EQ(recorded, expected);
  EXPECT_EQ(Text(ui->feedback_output->value()), "");
}

TEST_F(ActionsTest, TooltipsSwitchFlipsTheToolkitsSwitchAndTheMarkFollows) {
  // The mark means "tooltips off"; a real press toggles the mark, the action the switch.
  for (int press = 1; press <= 4; ++press) {
    SCOPED_TRACE(press);
    PressKey(ui->main_window, 'd', FL_ALT, "d");
    bool on = press % 2 == 1;
    EXPECT_EQ(Fl_Tooltip::enabled() != 0, on);
    EXPECT_EQ(ui->tooltips_button->value(), on ? 0 : 1);
  }
}

TEST_F(ActionsTest, ChooserIsADirectoryChooserWithTheTargetLabel) {
  // The label is the toolkit's, process-wide: start from its own text, as at start-up.
  Fl_File_Chooser::filename_label = "Filename:";
  TempFolder folder;
  std::vector<Fl_File_Chooser*> seen;
  for (int press = 0; press < 2; ++press) {
    ChooseDirectory([&](Fl_File_Chooser* chooser) {
      seen.push_back(chooser);
      Fl_Group* window = chooser->newButton->window();
      EXPECT_STREQ(chooser->label(), "Select Output Directory");
      EXPECT_EQ(chooser->type(), Fl_File_Chooser::CREATE | Fl_File_Chooser::DIRECTORY);
      EXPECT_STREQ(chooser->filter(), "*");
      EXPECT_EQ(chooser->preview(), 0);
      EXPECT_FALSE(chooser->previewButton->visible());
      EXPECT_EQ(chooser->color(), FL_BLACK);
      EXPECT_EQ(chooser->textcolor(), FL_WHITE);
      EXPECT_NE(FindByLabel(window, "Target Dir:"), nullptr);
      EXPECT_EQ(FindByLabel(window, "Filename:"), nullptr);
      EXPECT_TRUE(window->as_window()->modal());
      PickDirectory(folder.path().string())(chooser);
    });
    EXPECT_FALSE(ui->dir_chooser->shown()) << "the action returned before the chooser closed";
  }
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(ui->dir_chooser, seen[1]) << "the second chooser replaces the first";
  EXPECT_TRUE(ui->dir_chosen);
  EXPECT_STREQ(ui->target_dir, "") << "the directory is read by Generate, not here";
}

TEST_F(ActionsTest, CancelledChooserKeepsTheDirectoryChosenBefore) {
  TempFolder folder;
  // Generate with length 0 takes the chooser's selection and stops before the writer.
  ChooseDirectory(CancelChooser());
  EXPECT_TRUE(ui->dir_chosen);
  ui->generate_button->do_callback();
  EXPECT_STREQ(ui->target_dir, "") << "cancel before any choice leaves the working directory";

  ChooseDirectory(PickDirectory(folder.path().string()));
  ui->generate_button->do_callback();
  EXPECT_EQ(std::string(ui->target_dir), folder.OwnForm());

  ChooseDirectory(CancelChooser());
  ui->generate_button->do_callback();
  EXPECT_EQ(std::string(ui->target_dir), folder.OwnForm());
}

TEST_F(ActionsTest, ChosenDirectoryTooLongToKeepIsRefusedNotCut) {
  TempFolder folder;
  ChooseDirectory(PickDirectory(folder.path().string()));
  ui->generate_button->do_callback();
  const std::string chosen_before = ui->target_dir;

  // Cut to 255 characters this would name a directory that exists: the temp folder.
  std::string too_long = folder.path().string() + "/" + std::string(300, 'd');
  ChooseDirectory(PickDirectory(too_long));
  TypeLength("1");
  recorded.clear();
  ui->generate_button->do_callback();

  ASSERT_EQ(box_texts.size(), 1u);
  EXPECT_NE(box_texts[0].find("longer than 254 characters"), std::string::npos) << box_texts[0];
  EXPECT_EQ(std::string(ui->target_dir), chosen_before);
  EXPECT_FALSE(Contains(recorded, "pause 1000")) << "the run went on to the writer";
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

}  // namespace
