// What the main window opens, in-process with the box presenter replaced by a recorder:
// drops sent through the toolkit's own event handling as its X11 drop code sends them,
// Ctrl+O through the toolkit's chooser, the paths of the command line, and the check view's
// rows read back from its table.
#include <gtest/gtest.h>

#include <FL/Fl.H>
#include <FL/Fl_File_Chooser.H>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "generator/hushmaker.h"
#include "platform/platform_window.h"
#include "tests/test_support.h"
#include "ui/check_view.h"
#include "ui/level_view.h"
#include "ui/main_window_ui.h"

#include "tests/ui/find_widget.h"

// Last: it brings X11's None macro.
#include <FL/fl_draw.H>

namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

const int HOME_SET = setenv("HOME", fs::current_path().c_str(), 1);

const char* const PACKAGE =
    "VERSION 1\nCONFIG W:\\bin\\striped.cfg\nID 200\nREFERENCE MYMAP\nDESCRIPTION \"my map\"\n"
    "COUNT 1\nINDEX 0\n{\nREFERENCE KYLE_GREETING\nTEXT_LANGUAGE1 \"Hello there.\"\n}\n";


template <typename View>
std::vector<View*> ShownViews() {
  std::vector<View*> views;
  for (Fl_Window* w = Fl::first_window(); w; w = Fl::next_window(w)) {
    if (auto* view = dynamic_cast<View*>(w)) views.push_back(view);
  }
  return views;
}

// A level's folder: the writer's own 4 s file and a text under an .mp3 name beside its
// package, and notes; each test in a scratch folder that is also the start folder.
class ViewsTest : public ScratchDirectoryTest {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(OpenDisplay()) << "needs an X display"; }

  void SetUp() override {
    ScratchDirectoryTest::SetUp();
    fs::create_directories(work / "voices");
    fs::create_directories(work / "empty");
    ASSERT_NE(CreateBlankMP3(4, (start + "voices\\").c_str(), "own"), -1);
    WriteWholeFile(Native("voices/bad.mp3"), Bytes{'h', 'e', 'l', 'l', 'o'});
    WriteWholeFile(Native("my map.sp"), Bytes(PACKAGE, PACKAGE + strlen(PACKAGE)));
    WriteWholeFile(Native("notes.txt"), Bytes{'x'});
    current_dir = start.data();
    ReplaceBoxPresenter([this](const char* caption, const char* text, BoxIcon) {
      boxes.push_back(std::string(caption) + " | " + text);
    });
    ui = new MainWindowUI;
    ui->show_window();
    Fl::check();
  }

  void TearDown() override {
    CloseViews();
    if (ui) delete ui->main_window;
    delete ui;
    ReplaceBoxPresenter(nullptr);
    current_dir = nullptr;
    ScratchDirectoryTest::TearDown();
  }

  static void CloseViews() {
    for (CheckView* view : ShownViews<CheckView>()) delete view;
    for (LevelView* view : ShownViews<LevelView>()) delete view;
  }

  std::string Native(const std::string& name) const { return (work / name).string(); }
  std::string Uri(const std::string& name) const {
    std::string uri = "file://";
    for (char c : Native(name)) uri += c == ' ' ? std::string("%20") : std::string(1, c);
    return uri;
  }

  // Drops text at (x, y) of the main window as the toolkit's X11 code does: enter, drag,
  // the pointer's move as the source lets go, release, and the paste that follows an
  // accepted release goes to the widget below the mouse. Then lets the window open what it was given. False when the drop was refused.
  bool Drop(int x, int y, const std::string& text) {
    Fl_Window* window = ui->main_window;
    Fl::e_x = x;
    Fl::e_y = y;
    Fl::e_x_root = window->x() + x;
    Fl::e_y_root = window->y() + y;
    // As the source lets go, the pointer's own entry may reach the window before the drop.
    if (!Fl::handle(FL_DND_ENTER, window) || !Fl::handle(FL_DND_DRAG, window) ||
        !window->handle(FL_MOVE) || !Fl::handle(FL_DND_RELEASE, window)) {
      Fl::handle(FL_DND_LEAVE, window);
      return false;
    }
    Fl::e_text = const_cast<char*>(text.c_str());
    Fl::e_length = static_cast<int>(text.size());
    Fl::belowmouse()->handle(FL_PASTE);
    Fl::wait(0.05);
    return true;
  }

  void PressKey(int key, const char* text, int state) {
    Fl::e_keysym = key;
    Fl::e_state = state;
    Fl::e_text = const_cast<char*>(text);
    Fl::e_length = static_cast<int>(strlen(text));
    Fl::handle(FL_KEYBOARD, ui->main_window);
  }

  const fs::path work = scratch_.path;
  std::string start = scratch_.Own();
  MainWindowUI* ui = nullptr;
  Strings boxes;
};

std::string Title(Fl_Window* window) { return window->label() ? window->label() : ""; }

// What the package chooser showed, and what to pick there ("" cancels).
struct ChooserAnswer { std::string pick, title, filter, folder; };

void AnswerOpenChooser(void* data) {
  auto* answer = static_cast<ChooserAnswer*>(data);
  for (Fl_Window* w = Fl::first_window(); w; w = Fl::next_window(w)) {
    if (Title(w) != "Open a String Package") continue;
    // The chooser's window carries the chooser as its callback's data.
    auto* chooser = static_cast<Fl_File_Chooser*>(w->user_data());
    answer->title = Title(w);
    answer->filter = chooser->filter() ? chooser->filter() : "";
    answer->folder = chooser->directory() ? chooser->directory() : "";
    if (!answer->pick.empty()) chooser->value(answer->pick.c_str());
    FindByLabel(w, answer->pick.empty() ? fl_cancel : fl_ok)->do_callback();
    return;
  }
  Fl::repeat_timeout(0.05, AnswerOpenChooser, data);
}

// The welcome text and the feedback field (read-only) take drops for the window; the name
// field, one types into, keeps taking dropped text as text.
TEST_F(ViewsTest, FilesDroppedAnywhereButOnATypingFieldOpenTheirViews) {
  const struct { int x, y; const char* name; bool opens; } rows[] = {
      {300, 40, "voices", true}, {300, 300, "voices", true}, {40, 120, "voices", true},
      {480, 205, "voices", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.x) + "," + std::to_string(row.y));
    ui->filename_input->value("");
    EXPECT_TRUE(Drop(row.x, row.y, Uri(row.name) + "\r\n"));
    const std::vector<CheckView*> views = ShownViews<CheckView>();
    ASSERT_EQ(views.size(), row.opens ? 1u : 0u);
    if (row.opens) {
      EXPECT_EQ(Title(views[0]), "Check: voices");
    }
    EXPECT_EQ(std::string(ui->filename_input->value()), row.opens ? "" : Uri(row.name));
    CloseViews();
  }
  EXPECT_TRUE(boxes.empty());
}

TEST_F(ViewsTest, APackageDroppedWithItsFolderOpensTheLevelOnItAndAloneOnTheOutputFolder) {
  const struct { Strings dropped; std::string folder; } rows[] = {
      {{"my map.sp", "voices"}, Native("voices") + "/"},
      {{"my map.sp"}, work.string() + "/"},
  };
  for (const auto& row : rows) {
    std::string text;
    for (const std::string& name : row.dropped) text += Uri(name) + "\r\n";
    EXPECT_TRUE(Drop(300, 40, text));
    const std::vector<LevelView*> levels = ShownViews<LevelView>();
    ASSERT_EQ(levels.size(), 1u) << text;
    EXPECT_EQ(Title(levels[0]), "my map.sp");
    EXPECT_EQ(levels[0]->package_path, Native("my map.sp"));
    EXPECT_EQ(levels[0]->folder_path, row.folder);
    EXPECT_TRUE(ShownViews<CheckView>().empty());
    CloseViews();
  }
}

// A package alone opens over the folder Generate would write into: the chooser's
// selection, else the folder an earlier Generate took from a chooser since cancelled,
// else the start folder.
TEST_F(ViewsTest, APackageAloneOpensOverTheFolderGenerateWouldWriteInto) {
  const struct { const char *selected, *taken, *folder; } rows[] = {
      {nullptr, "", ""}, {"", "empty\\", "empty/"}, {"voices", "empty\\", "voices/"},
  };
  for (const auto& row : rows) {
    if (row.selected) {
      ui->dir_chosen = true;
      delete ui->dir_chooser;
      ui->dir_chooser = new Fl_File_Chooser(work.c_str(), "*", Fl_File_Chooser::DIRECTORY, "x");
      if (row.selected[0]) {
        ui->dir_chooser->value(Native(row.selected).c_str());
      } else {
        FindByLabel(ui->dir_chooser->newButton->window(), fl_cancel)->do_callback();
      }
    }
    snprintf(ui->target_dir, UI_TARGET_DIR_SIZE, "%s", row.taken[0] ? (start + row.taken).c_str() : "");
    ui->open_paths({Native("my map.sp")});
    const std::vector<LevelView*> levels = ShownViews<LevelView>();
    ASSERT_EQ(levels.size(), 1u);
    EXPECT_EQ(levels[0]->folder_path, work.string() + "/" + row.folder);
    CloseViews();
  }
}

// Nothing opens for what cannot be opened; one box tells each path and why.
TEST_F(ViewsTest, WhatCannotBeOpenedIsToldInOneBox) {
  ui->open_paths({Native("notes.txt"), Native("gone.sp"), Native("empty"), Native("voices/own.mp3")});
  EXPECT_EQ(ShownViews<CheckView>().size(), 1u);
  EXPECT_TRUE(ShownViews<LevelView>().empty());
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0],
            "Not opened | Hushmaker opens string packages (.sp, .str), voice files (.mp3, .wav) "
            "and folders of\nvoice files. Not opened:\n\n" +
                Native("notes.txt") +
                ": neither a string package (.sp, .str) nor a voice file (.mp3, .wav)\n" +
                Native("gone.sp") + ": cannot be read: No such file or directory\n" +
                Native("empty") + ": a folder without voice files (.mp3, .wav)");
}

// The rows --check prints for the same paths, column by column, each text whole inside its
// cell, and the counts.
TEST_F(ViewsTest, CheckViewShowsEachFilesVerdictCaptionAndDetailWholeInItsCell) {
  CheckView* view = OpenCheckView({Native("voices"), Native("gone.wav")});
  ASSERT_EQ(ShownViews<CheckView>(), std::vector<CheckView*>{view});
  EXPECT_EQ(Title(view), "Check: voices, gone.wav");
  const std::vector<Strings> expected = {
      {"voices/bad.mp3", "Jedi Outcast refuses it", "", "not an MP3 file"},
      {"voices/own.mp3", "Jedi Outcast plays it", "3.996 s", "MPEG-1 Layer III, 44,100 Hz, mono, VBR"},
      {"gone.wav", "cannot be read", "", "No such file or directory"},
  };
  CheckTable* table = view->table;
  ASSERT_EQ(table->rows(), 3);
  ASSERT_EQ(table->cols(), UI_CHECK_COLUMNS);
  fl_font(FL_HELVETICA, 14);
  int columns = 0;
  for (int column = 0; column < UI_CHECK_COLUMNS; ++column) {
    columns += table->col_width(column);
    EXPECT_LE(fl_width(CheckTable::header_text(column)), table->col_width(column) - 12);
  }
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < UI_CHECK_COLUMNS; ++column) {
      const std::string text = table->cell_text(row, column);
      EXPECT_EQ(text, expected[row][column]) << row << "," << column;
      EXPECT_LE(fl_width(text.c_str()), table->col_width(column) - 12) << text;
    }
  }
  // Every column in view without scrolling, the window within the screen.
  EXPECT_LE(columns, table->w() - Fl::box_dw(table->box()) - Fl::scrollbar_size());
  EXPECT_LE(view->w(), Fl::w());
  EXPECT_EQ(std::string(view->counts_box->label()), "3 files: 1 plays, 2 do not");
  EXPECT_TRUE(view->resizable() == table) << "the rows take the room of a resized view";
  // Closing the view's window ends it.
  Fl_Widget_Tracker tracker(view);
  view->do_callback();
  Fl::wait(0.05);
  EXPECT_FALSE(tracker.exists());
}

// A name wider than the screen: the view keeps to the screen and scrolls sideways, and the
// scroll bar takes no row from view. Enough rows that the view is taller than its least.
TEST_F(ViewsTest, CheckViewWiderThanTheScreenStillShowsEveryRow) {
  for (const char* copy : {"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3"}) {
    fs::copy_file(work / "voices" / "own.mp3", work / "voices" / copy);
  }
  const std::string longName = std::string(200, 'w') + ".mp3";
  fs::copy_file(work / "voices" / "own.mp3", work / "voices" / longName);
  CheckView* view = OpenCheckView({Native("voices")});
  CheckTable* table = view->table;
  ASSERT_EQ(table->rows(), 8);
  EXPECT_EQ(table->cell_text(7, UI_CHECK_FILE), "voices/" + longName);
  EXPECT_LE(view->w(), Fl::w());
  int x = 0, y = 0, w = 0, h = 0;
  ASSERT_TRUE(table->cell_area(7, UI_CHECK_FILE, &x, &y, &w, &h));
  const int rowsEnd = table->y() + table->h() - Fl::box_dh(table->box()) / 2 - Fl::scrollbar_size();
  EXPECT_LE(y + h, rowsEnd) << "the last row is under the scroll bar";
}

// Ctrl+O in the name field opens the toolkit's chooser (GTK's would record the file in the
// user's recent files), filtered to packages and starting in the output folder; OK opens
// the level, Cancel nothing.
TEST_F(ViewsTest, CtrlOChoosesAPackageToOpenAndLeavesTheFieldAlone) {
  EXPECT_NE(std::string(ui->output_dir_button->tooltip()).find("Ctrl+O"), std::string::npos);
  EXPECT_NE(std::string(ui->output_dir_button->tooltip()).find("Drop"), std::string::npos);
  ChooserAnswer answer;
  for (const std::string& pick : {Native("my map.sp"), std::string()}) {
    answer = {pick, "", "", ""};
    Fl::add_timeout(0.05, AnswerOpenChooser, &answer);
    ui->filename_input->value("voice");
    ui->filename_input->take_focus();
    PressKey('o', "\x0f", FL_CTRL);
    EXPECT_EQ(answer.title, "Open a String Package");
    EXPECT_NE(answer.filter.find("*.{sp,str}"), std::string::npos) << answer.filter;
    EXPECT_TRUE(fs::equivalent(answer.folder, work)) << answer.folder;
    EXPECT_STREQ(ui->filename_input->value(), "voice");
    const std::vector<LevelView*> levels = ShownViews<LevelView>();
    ASSERT_EQ(levels.size(), pick.empty() ? 0u : 1u);
    if (!pick.empty()) {
      EXPECT_EQ(levels[0]->package_path, pick);
    }
    CloseViews();
  }
}

// Enter typed in a view with the mouse over the main window: the toolkit offers the key to
// the widgets below the mouse too, and Exit must not take it.
TEST_F(ViewsTest, KeysTypedInAViewAreNotTheMainWindowsShortcuts) {
  CheckView* view = OpenCheckView({Native("voices")});
  Fl::wait(0.05);
  view->table->take_focus();
  Fl::belowmouse(ui->welcome_button);
  Fl::e_keysym = FL_Enter;
  Fl::e_state = 0;
  Fl::e_text = const_cast<char*>("\r");
  Fl::e_length = 1;
  Fl::handle(FL_KEYBOARD, view);
  EXPECT_TRUE(ui->main_window->shown()) << "Enter in the view pressed Exit";
  // The main window's own keys still work: Enter there is Exit.
  ui->filename_input->take_focus();
  Fl::handle(FL_KEYBOARD, ui->main_window);
  EXPECT_FALSE(ui->main_window->shown());
}

// A drop still waiting to be opened goes with the window.
TEST_F(ViewsTest, ADropWaitingWhenTheWindowGoesIsDropped) {
  Fl_Window* window = ui->main_window;
  Fl::e_x = 300;
  Fl::e_y = 40;
  ASSERT_TRUE(Fl::handle(FL_DND_ENTER, window) && Fl::handle(FL_DND_RELEASE, window));
  const std::string text = Uri("voices");
  Fl::e_text = const_cast<char*>(text.c_str());
  Fl::e_length = static_cast<int>(text.size());
  Fl::belowmouse()->handle(FL_PASTE);
  delete ui->main_window;
  delete ui;
  ui = nullptr;
  Fl::wait(0.05);
  EXPECT_TRUE(ShownViews<CheckView>().empty());
}

}  // namespace
