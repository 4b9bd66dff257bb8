// The main window and its views in-process, with the box presenter replaced by a recorder.
// What it opens: drops sent through the toolkit's own event handling as its X11 drop code
// sends them, Ctrl+O through the toolkit's chooser, the paths of the command line. The check
// view's rows read back from its table. The level view over a real package and folder: its
// rows, the reading settings and a typed length, Write with the real writer (its files read
// by other decoders), Stop, the folder chooser, and the packages it refuses to write.
#include <gtest/gtest.h>

#include <FL/Fl.H>
#include <FL/Fl_File_Chooser.H>

#include <filesystem>
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

// The README's level, and a line whose file is recorded already. "Hello there, Kyle." is 18
// characters, the guard's 66: 2 and 5 seconds at 15 a second, 4 and 14 at 5.
const char* const PACKAGE =
    "VERSION 1\nCONFIG W:\\bin\\striped.cfg\nID 200\nREFERENCE MYMAP\nDESCRIPTION \"my map\"\n"
    "COUNT 4\nINDEX 0\n{\nREFERENCE KYLE_GREETING\nTEXT_LANGUAGE1 \"Hello there, ^1Kyle^7.\"\n}\n"
    "INDEX 1\n{\nREFERENCE GUARD_STOP\n"
    "TEXT_LANGUAGE1 \"Stop right there!\\nNobody passes this gate without orders, soldier.\"\n"
    "TEXT_LANGUAGE3 \"Halt! Ohne Befehl kommt hier niemand durch, Soldat.\"\n}\n"
    "INDEX 2\n{\nREFERENCE JAN_WAIT\nNOTES \"no line yet\"\n}\n"
    "INDEX 3\n{\nREFERENCE LUKE_HELLO\nTEXT_LANGUAGE1 \"Hi.\"\n}\n";

std::string Text(const char* text) { return text ? text : ""; }

// A folder of voice files (the writer's own 4 s file and a text under an .mp3 name), one
// without, notes, a level's package and its voice folder, which holds a recording; each
// test in a scratch folder that is also the start folder.
class ViewsTest : public ScratchDirectoryTest {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(OpenDisplay()) << "needs an X display"; }

  void SetUp() override {
    ScratchDirectoryTest::SetUp();
    fs::create_directories(work / "voices");
    fs::create_directories(work / "empty");
    ASSERT_NE(CreateBlankMP3(4, (start + "voices\\").c_str(), "own"), -1);
    WriteWholeFile(Native("voices/bad.mp3"), Bytes{'h', 'e', 'l', 'l', 'o'});
    Write("mymap.sp", PACKAGE);
    Write("notes.txt", "x");
    fs::create_directories(level);
    WriteWholeFile((level / "luke_hello.mp3").string(), Recording());
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

  // The views shown, each on a line: a check view's title; a level view's, and the folder
  // it writes into, from the scratch folder on.
  std::string Opened() const {
    std::string opened;
    for (Fl_Window* w = Fl::first_window(); w; w = Fl::next_window(w)) {
      if (dynamic_cast<CheckView*>(w)) opened += Text(w->label()) + "\n";
      if (auto* view = dynamic_cast<LevelView*>(w)) {
        opened += Text(w->label()) + " on " + fs::relative(view->folder_path, work).generic_string() + "\n";
      }
    }
    return opened;
  }

  static void CloseViews() {
    std::vector<Fl_Window*> views;
    for (Fl_Window* w = Fl::first_window(); w; w = Fl::next_window(w)) {
      if (dynamic_cast<CheckView*>(w) || dynamic_cast<LevelView*>(w)) views.push_back(w);
    }
    for (Fl_Window* view : views) delete view;
  }

  std::string Native(const std::string& name) const { return (work / name).string(); }
  void Write(const std::string& name, const std::string& text) {
    WriteWholeFile(Native(name), Bytes(text.begin(), text.end()));
  }
  std::string Uri(const std::string& name) const { return "file://" + Native(name); }

  // Drops text at (x, y) of the main window as the toolkit's X11 code does: enter, drag,
  // the pointer's move as the source lets go, release, and the paste that follows an
  // accepted release goes to the widget below the mouse. Then, unless told not to, lets
  // the window open what it was given. False when the drop was refused.
  bool Drop(int x, int y, const std::string& text, bool open = true) {
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
    if (open) Fl::wait(0.05);
    return true;
  }

  void PressKey(Fl_Window* window, int key, const char* text, int state) {
    Fl::e_keysym = key;
    Fl::e_state = state;
    Fl::e_text = const_cast<char*>(text);
    Fl::e_length = static_cast<int>(strlen(text));
    Fl::handle(FL_KEYBOARD, window);
  }

  const fs::path work = scratch_.path;
  const fs::path level = work / "sound" / "chars" / "mymap";
  std::string start = scratch_.Own();
  MainWindowUI* ui = nullptr;
  Strings boxes;
};

// The welcome text and the feedback field (read-only) take drops for the window; the name
// field, one types into, keeps taking dropped text as text. A package dropped with its
// folder opens the level on that folder.
TEST_F(ViewsTest, FilesDroppedAnywhereButOnATypingFieldOpenTheirViews) {
  const struct { int x, y; Strings dropped; const char* opened; } rows[] = {
      {300, 40, {"voices"}, "Check: voices\n"},
      {300, 300, {"voices"}, "Check: voices\n"},
      {40, 120, {"voices"}, "Check: voices\n"},
      {480, 205, {"voices"}, ""},
      {300, 40, {"mymap.sp", "voices"}, "mymap.sp on voices\n"},
  };
  for (const auto& row : rows) {
    std::string text;
    for (const std::string& name : row.dropped) text += Uri(name) + "\r\n";
    SCOPED_TRACE(text + std::to_string(row.x) + "," + std::to_string(row.y));
    ui->filename_input->value("");
    EXPECT_TRUE(Drop(row.x, row.y, text));
    EXPECT_EQ(Opened(), row.opened);
    EXPECT_EQ(std::string(ui->filename_input->value()), row.opened[0] ? "" : Uri(row.dropped[0]));
    CloseViews();
  }
  EXPECT_TRUE(boxes.empty());
}

// A package alone opens over the folder Generate would write into: the chooser's
// selection, else the folder an earlier Generate took from a chooser since cancelled,
// else the start folder.
TEST_F(ViewsTest, APackageAloneOpensOverTheFolderGenerateWouldWriteInto) {
  const struct { const char *selected, *taken, *opened; } rows[] = {
      {nullptr, "", "mymap.sp on .\n"},
      {"", "empty\\", "mymap.sp on empty\n"},
      {"voices", "empty\\", "mymap.sp on voices\n"},
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
    ui->open_paths({Native("mymap.sp")});
    EXPECT_EQ(Opened(), row.opened);
    CloseViews();
  }
}

// Nothing opens for what cannot be opened; one box tells each path and why.
TEST_F(ViewsTest, WhatCannotBeOpenedIsToldInOneBox) {
  ui->open_paths({Native("notes.txt"), Native("empty"), Native("voices/own.mp3")});
  EXPECT_EQ(Opened(), "Check: own.mp3\n");
  EXPECT_EQ(boxes, Strings{"Not opened | Hushmaker opens string packages (.sp, .str), voice files "
                           "(.mp3, .wav) and folders of\nvoice files. Not opened:\n\n" +
                           Native("notes.txt") +
                           ": neither a string package (.sp, .str) nor a voice file (.mp3, .wav)\n" +
                           Native("empty") + ": a folder without voice files (.mp3, .wav)"});
}

// The rows --check prints for the same paths, column by column, each text whole inside its
// cell, every column in view, and the counts; closing the view's window ends it. Then a
// name wider than the screen: the view keeps to the screen and scrolls sideways, and the
// scroll bar takes no row from view (enough rows that the view is taller than its least).
TEST_F(ViewsTest, CheckViewShowsEachFilesVerdictCaptionAndDetailWholeInItsCell) {
  CheckView* view = OpenCheckView({Native("voices"), Native("gone.wav")});
  EXPECT_EQ(Opened(), "Check: voices, gone.wav\n");
  const std::vector<Strings> expected = {
      {"voices/bad.mp3", "Jedi Outcast refuses it", "", "not an MP3 file"},
      {"voices/own.mp3", "Jedi Outcast plays it", "3.996 s", "MPEG-1 Layer III, 44,100 Hz, mono, VBR"},
      {"gone.wav", "cannot be read", "", "No such file or directory"},
  };
  CheckTable* table = view->table;
  ASSERT_EQ(table->rows(), 3);
  fl_font(FL_HELVETICA, 14);
  int columns = 0;
  for (int column = 0; column < UI_CHECK_COLUMNS; ++column) {
    columns += table->col_width(column);
    EXPECT_LE(fl_width(CheckTable::header_text(column)), table->col_width(column) - 12);
    for (int row = 0; row < 3; ++row) {
      const std::string text = table->cell_text(row, column);
      EXPECT_EQ(text, expected[row][column]) << row << "," << column;
      EXPECT_LE(fl_width(text.c_str()), table->col_width(column) - 12) << text;
    }
  }
  EXPECT_LE(columns, table->w() - Fl::box_dw(table->box()) - Fl::scrollbar_size());
  EXPECT_EQ(std::string(view->counts_box->label()), "3 files: 1 plays, 2 do not");
  Fl_Widget_Tracker tracker(view);
  view->do_callback();
  Fl::wait(0.05);
  EXPECT_FALSE(tracker.exists());

  const std::string longName = std::string(200, 'w') + ".mp3";
  for (const char* copy : {"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3", longName.c_str()}) {
    fs::copy_file(work / "voices" / "own.mp3", work / "voices" / copy);
  }
  view = OpenCheckView({Native("voices")});
  table = view->table;
  ASSERT_EQ(table->rows(), 8);
  EXPECT_EQ(table->cell_text(7, UI_CHECK_FILE), "voices/" + longName);
  EXPECT_LE(view->w(), Fl::w());
  int x = 0, y = 0, w = 0, h = 0;
  ASSERT_TRUE(table->cell_area(7, UI_CHECK_FILE, &x, &y, &w, &h));
  const int rowsEnd = table->y() + table->h() - Fl::box_dh(table->box()) / 2 - Fl::scrollbar_size();
  EXPECT_LE(y + h, rowsEnd) << "the last row is under the scroll bar";
}

// Ctrl+O in the name field opens the toolkit's chooser (GTK's would record the file in the
// user's recent files), filtered to packages and starting in the output folder (the one an
// earlier Generate took, not the start folder); OK opens the level, Cancel nothing.
TEST_F(ViewsTest, CtrlOChoosesAPackageToOpenAndLeavesTheFieldAlone) {
  snprintf(ui->target_dir, UI_TARGET_DIR_SIZE, "%s", (start + "voices\\").c_str());
  for (const std::string& pick : {Native("mymap.sp"), std::string()}) {
    ChooserAnswer answer{"Open a String Package", pick};
    Fl::add_timeout(0.05, AnswerChooser, &answer);
    ui->filename_input->value("voice");
    ui->filename_input->take_focus();
    PressKey(ui->main_window, 'o', "\x0f", FL_CTRL);
    EXPECT_TRUE(answer.answered);
    EXPECT_NE(answer.filter.find("*.{sp,str}"), std::string::npos) << answer.filter;
    EXPECT_TRUE(fs::equivalent(answer.folder, work / "voices")) << answer.folder;
    EXPECT_STREQ(ui->filename_input->value(), "voice");
    EXPECT_EQ(Opened(), pick.empty() ? "" : "mymap.sp on voices\n");
    CloseViews();
  }
}

// Enter typed in a view with the mouse over the main window: the toolkit offers the key to
// the widgets below the mouse too, and Exit must not take it; Enter in the main window is
// Exit. A drop still waiting to be opened goes with the window.
TEST_F(ViewsTest, KeysTypedInAViewAreNotTheMainWindowsAndAWaitingDropGoesWithIt) {
  CheckView* view = OpenCheckView({Native("voices")});
  Fl::wait(0.05);
  view->table->take_focus();
  Fl::belowmouse(ui->welcome_button);
  PressKey(view, FL_Enter, "\r", 0);
  EXPECT_TRUE(ui->main_window->shown()) << "Enter in the view pressed Exit";
  ui->filename_input->take_focus();
  PressKey(ui->main_window, FL_Enter, "\r", 0);
  EXPECT_FALSE(ui->main_window->shown());

  CloseViews();
  ui->show_window();
  Fl::check();
  ASSERT_TRUE(Drop(300, 40, Uri("voices"), false));
  delete ui->main_window;
  delete ui;
  ui = nullptr;
  Fl::wait(0.05);
  EXPECT_EQ(Opened(), "");
}

// The level view, telling the main window's status and feedback fields.
class LevelViewTest : public ViewsTest {
 protected:
  void Open(const std::string& package, const fs::path& folder) {
    status = ui->status_output;
    feedback = ui->feedback_output;
    status->value("Idle");
    view = OpenLevelView(Native(package), folder.string(), status, feedback, ui->generate_button);
    Fl::wait(0.05);
  }

  // One column's texts, top to bottom, as the model has them ("|" between rows).
  std::string Column(int column) const {
    std::string said;
    for (int row = 0; row < view->table->rows(); ++row) {
      said += (row ? "|" : "") + view->table->full_text(row, column);
    }
    return said;
  }

  void Set(Fl_Widget* widget, double value) {
    static_cast<Fl_Spinner*>(widget)->value(value);
    widget->do_callback();
  }

  // Chooses the row and types its length; the table is drawn first, so that what the
  // typing changes shows as the table's damage.
  void TypeSeconds(int row, const char* typed) {
    view->table->select_all_rows(0);
    view->table->select_row(row, 1);
    view->cb_row_i();
    Fl::flush();
    view->seconds_input->value(typed);
    view->seconds_input->do_callback();
  }

  LevelView* view = nullptr;
  Fl_Output* status = nullptr;
  Fl_Output* feedback = nullptr;
};

// The lines as the level model has them, each text drawn whole or cut to its cell, the
// problems as --strings tells them under the package's name.
TEST_F(LevelViewTest, ShowsEachLineAsTheLevelModelHasItWholeInItsCell) {
  Open("mymap.sp", level);
  EXPECT_EQ(Text(view->label()), "mymap.sp");
  EXPECT_EQ(Text(view->folder_output->value()), level.string() + "/");
  EXPECT_EQ(Column(UI_LEVEL_REFERENCE), "KYLE_GREETING|GUARD_STOP|JAN_WAIT|LUKE_HELLO");
  EXPECT_EQ(Column(UI_LEVEL_TEXT), "Hello there, Kyle.|Stop right there! Nobody passes this gate "
                                   "without orders, soldier.||Hi.");
  EXPECT_EQ(Column(UI_LEVEL_SECONDS), "2|5||2");
  EXPECT_EQ(Column(UI_LEVEL_FOLDER).substr(0, 94), "no file yet|no file yet|no file: no text yet, so "
                                                   "no file|recorded, kept: Jedi Outcast plays it");
  EXPECT_EQ(view->problems_browser->size(), 1);
  EXPECT_EQ(Text(view->problems_browser->text(1)), "mymap.sp:20: JAN_WAIT: no text yet, so no file");
  fl_font(FL_HELVETICA, 14);
  int columns = 0;
  for (int column = 0; column < UI_LEVEL_COLUMNS; ++column) columns += view->table->col_width(column);
  EXPECT_LE(columns, view->table->w() - Fl::box_dw(view->table->box()) - Fl::scrollbar_size())
      << "the table scrolls sideways";
  for (int row = 0; row < view->table->rows(); ++row) {
    for (int column = 0; column < UI_LEVEL_COLUMNS; ++column) {
      const std::string shown = view->table->cell_text(row, column);
      const std::string full = view->table->full_text(row, column);
      const int room = view->table->col_width(column) - 12;
      EXPECT_LE(fl_width(shown.c_str()), room) << shown;
      EXPECT_EQ(shown != full, fl_width(full.c_str()) > room) << full;
      if (shown != full) {
        EXPECT_EQ(full.substr(0, shown.size() - 3) + "...", shown);
      }
    }
  }
  EXPECT_TRUE(view->write_button->active());
  EXPECT_EQ(Text(view->summary_box->label()), "");
}

// The lengths follow the reading settings at once; a typed length stays through them and
// through another language, in which a line without a text of its own takes its English one.
TEST_F(LevelViewTest, ReadingSettingsAndLanguageRetimeTheLinesAndTypedLengthsStay) {
  Open("mymap.sp", level);
  view->table->select_row(0, 1);
  view->cb_row_i();
  Set(view->cps_spinner, 5);
  EXPECT_EQ(Column(UI_LEVEL_SECONDS), "4|14||2");
  EXPECT_STREQ(view->seconds_input->value(), "4") << "the chosen line's length";
  TypeSeconds(1, "9");
  EXPECT_TRUE(view->table->damage()) << "the typed length is not drawn";
  Set(view->cps_spinner, 15);
  Set(view->min_seconds_spinner, 3);
  EXPECT_EQ(Column(UI_LEVEL_SECONDS), "3|9 typed||3");
  // Not a whole number: the length stays; past the longest file, even past what an int
  // holds (2^32 + 1): held to it. A line without a file takes no length.
  const std::pair<int, const char*> typed[] = {{1, "x9"}, {1, "4294967297"}, {2, "7"}, {1, "9"}};
  const char* const after[] = {"3|9 typed||3", "3|28800 typed||3", "3|28800 typed||3", "3|9 typed||3"};
  for (size_t i = 0; i < std::size(typed); ++i) {
    TypeSeconds(typed[i].first, typed[i].second);
    EXPECT_EQ(Column(UI_LEVEL_SECONDS), after[i]) << typed[i].second;
  }
  // The package's own languages only.
  ASSERT_EQ(view->language_choice->size() - 1, 2);
  EXPECT_STREQ(view->language_choice->text(0), "english");
  view->language_choice->value(view->language_choice->find_index("german"));
  view->language_choice->do_callback();
  EXPECT_STREQ(view->language_choice->text(), "german");
  EXPECT_EQ(Column(UI_LEVEL_TEXT), "Hello there, Kyle.|Halt! Ohne Befehl kommt hier niemand durch, Soldat.||Hi.");
  EXPECT_EQ(Column(UI_LEVEL_SECONDS), "3|9 typed||3");
}

// Every line with text and no recording is written at its length; the recording is kept.
// Each row, the summary, the progress bar and the main window's fields tell what happened,
// and the rows then tell what the folder holds.
TEST_F(LevelViewTest, WriteWritesEachLinesFileAndKeepsTheRecording) {
  Open("mymap.sp", level);
  TypeSeconds(1, "3");
  // What the main window shows while the files are written.
  static MainWindowUI* main;
  static std::string during;
  main = ui;
  Fl::add_timeout(0.0, [](void*) {
    during = Text(main->status_output->value()) + (main->generate_button->active() ? " Generate" : "");
  });
  view->write_button->do_callback();
  EXPECT_EQ(during, "Working");
  EXPECT_TRUE(ui->generate_button->active());
  EXPECT_EQ(Column(UI_LEVEL_WRITTEN), "written|written|no file|kept: holds recorded sound");
  EXPECT_EQ(Text(view->summary_box->label()), "2 files written, 0 failed, 1 kept");
  EXPECT_EQ(view->progress->value(), 3.0f);
  EXPECT_EQ(view->progress->maximum(), 3.0f);
  EXPECT_EQ(Text(status->value()), "Idle");
  EXPECT_EQ(Text(feedback->value()), "\n>>> Level mymap.sp\n>>> Target directory: \"" +
                                         level.string() + "/\"\n>>> 2 files written, 0 failed, 1 kept");
  ExpectDecodersReadSilence((level / "kyle_greeting.mp3").string(), 2);
  ExpectDecodersReadSilence((level / "guard_stop.mp3").string(), 3);
  EXPECT_EQ(ReadWholeFile((level / "luke_hello.mp3").string()), Recording());
  EXPECT_EQ(ListFolder(level), "guard_stop.mp3\nkyle_greeting.mp3\nluke_hello.mp3\n");
  EXPECT_EQ(Column(UI_LEVEL_FOLDER).substr(0, 29), "silent: Jedi Outcast plays it");
  EXPECT_TRUE(boxes.empty());
  EXPECT_TRUE(view->write_button->active());
}

// A folder that is missing is made; Stop, pressed while the first file is written, leaves
// the others unwritten and says so, and the next Write writes them all.
TEST_F(LevelViewTest, WriteMakesAMissingFolderAndStopsBetweenFiles) {
  const fs::path made = work / "new" / "sub";
  Open("mymap.sp", made);
  Fl::add_timeout(0.0, [](void* data) { static_cast<LevelView*>(data)->stop_button->do_callback(); }, view);
  view->write_button->do_callback();
  EXPECT_EQ(ListFolder(made), "kyle_greeting.mp3\n");
  EXPECT_EQ(Text(view->summary_box->label()), "made the folder; 1 file written, 0 failed, 2 left when stopped");
  EXPECT_EQ(Column(UI_LEVEL_WRITTEN), "written|left when stopped|no file|left when stopped");
  EXPECT_FALSE(view->stop_button->active());
  view->write_button->do_callback();
  EXPECT_EQ(Text(view->summary_box->label()), "3 files written, 0 failed");
}

// The view goes while it writes: writing stops there and the main window is told.
TEST_F(LevelViewTest, ClosingTheViewWhileItWritesStopsAndTellsTheMainWindow) {
  Open("mymap.sp", level);
  Fl::add_timeout(0.0, [](void* data) { static_cast<LevelView*>(data)->do_callback(); }, view);
  Fl_Widget_Tracker tracker(view);
  view->write_button->do_callback();
  Fl::wait(0.05);
  EXPECT_FALSE(tracker.exists());
  EXPECT_EQ(Text(status->value()), "Idle");
  EXPECT_NE(Text(feedback->value()).find("1 file written, 0 failed"), std::string::npos) << feedback->value();
  EXPECT_EQ(ListFolder(level), "kyle_greeting.mp3\nluke_hello.mp3\n");
}

// The folder is chosen with the main window's chooser; the rows then tell that folder's
// files. A cancelled chooser keeps the folder.
TEST_F(LevelViewTest, TheFolderButtonMovesTheLevelToTheFolderChosen) {
  const fs::path other = work / "other";
  fs::create_directories(other);
  ASSERT_NE(CreateBlankMP3(2, (scratch_.Own() + "other\\").c_str(), "kyle_greeting"), -1);
  Open("mymap.sp", level);
  for (const std::string& chosen : {other.string(), std::string()}) {
    ChooserAnswer answer{"Select Output Directory", chosen};
    Fl::add_timeout(0.05, AnswerChooser, &answer);
    view->folder_button->do_callback();
    EXPECT_TRUE(answer.answered);
    EXPECT_EQ(Text(view->folder_output->value()), other.string() + "/");
    EXPECT_EQ(Column(UI_LEVEL_FOLDER).substr(0, 29), "silent: Jedi Outcast plays it");
    EXPECT_EQ(view->table->full_text(3, UI_LEVEL_FOLDER), "no file yet");
  }
}

// Nothing can be written for a package the game refuses, one without a voice line, or one
// that cannot be read; the view tells why.
TEST_F(LevelViewTest, APackageThatCannotBeWrittenTellsWhyAndWritesNothing) {
  // A line that begins with a blank: Jedi Academy refuses the file.
  Write("refused.str", "VERSION \"1\"\nREFERENCE AUX\nLANG_ENGLISH \"Aux.\"\n  REFERENCE B\nENDMARKER\n");
  Write("empty.sp", "VERSION 1\nCOUNT 0\n");
  // The problems as --strings tells them: the refusal's line first.
  const struct { const char* package; std::string summary, firstProblem; } rows[] = {
      {"refused.str", "the game refuses refused.str; nothing is written",
       "refused.str:4: a line that begins with a blank: the game takes a keyword only at the "
       "line's start: Jedi Academy refuses the file and quits at start-up"},
      {"empty.sp", "empty.sp holds no voice line (no REFERENCE of a line entry); nothing is written", ""},
      {"gone.sp", "cannot read " + (work / "gone.sp").string() +
                            ": No such file or directory; nothing is written", ""},
  };
  for (const auto& row : rows) {
    Open(row.package, level);
    EXPECT_EQ(Text(view->summary_box->label()), row.summary);
    EXPECT_EQ(view->table->rows(), 0);
    if (!row.firstProblem.empty()) {
      EXPECT_EQ(Text(view->problems_browser->text(1)), row.firstProblem);
    }
    EXPECT_FALSE(view->write_button->active());
    view->write_button->do_callback();
    EXPECT_EQ(ListFolder(level), "luke_hello.mp3\n");
    EXPECT_EQ(Text(status->value()), "Idle");
    delete view;
  }
}

}  // namespace
