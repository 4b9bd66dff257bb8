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
    for (const fs::path& folder : {work / "voices", work / "empty", level}) fs::create_directories(folder);
    ASSERT_NE(CreateBlankMP3(4, (start + "voices\\").c_str(), "own"), -1);
    Write("voices/bad.mp3", "hello");
    Write("mymap.sp", PACKAGE);
    Write("notes.txt", "x");
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
    Opened(true);
    if (ui) delete ui->main_window;
    delete ui;
    ReplaceBoxPresenter(nullptr);
    current_dir = nullptr;
    ScratchDirectoryTest::TearDown();
  }

  // The views shown, each on a line: a check view's title; a level view's, and the folder
  // it writes into, from the scratch folder on. Closed after, when told.
  std::string Opened(bool close = false) const {
    std::string opened;
    std::vector<Fl_Window*> views;
    for (Fl_Window* w = Fl::first_window(); w; w = Fl::next_window(w)) {
      auto* view = dynamic_cast<LevelView*>(w);
      if (!view && !dynamic_cast<CheckView*>(w)) continue;
      views.push_back(w);
      opened += Text(w->label()) + (view ? " on " + fs::relative(view->folder_path, work).generic_string() : "") + "\n";
    }
    for (Fl_Window* view : views) {
      if (close) delete view;
    }
    return opened;
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
// folder opens the level on that folder. What cannot be opened opens nothing, and one box
// tells each path and why. A drop still waiting to be opened goes with the window.
TEST_F(ViewsTest, FilesDroppedAnywhereButOnATypingFieldOpenTheirViews) {
  const struct { int x, y; Strings dropped; const char* opened; } rows[] = {
      {300, 40, {"voices"}, "Check: voices\n"},
      {300, 300, {"voices"}, "Check: voices\n"},
      {40, 120, {"voices"}, "Check: voices\n"},
      {480, 205, {"voices"}, ""},
      {300, 40, {"mymap.sp", "voices"}, "mymap.sp on voices\n"},
      {300, 40, {"notes.txt", "empty", "voices/own.mp3"}, "Check: own.mp3\n"},
  };
  for (const auto& row : rows) {
    std::string text;
    for (const std::string& name : row.dropped) text += Uri(name) + "\r\n";
    SCOPED_TRACE(text + std::to_string(row.x) + "," + std::to_string(row.y));
    ui->filename_input->value("");
    EXPECT_TRUE(Drop(row.x, row.y, text));
    EXPECT_EQ(Opened(true), row.opened);
    EXPECT_EQ(std::string(ui->filename_input->value()), row.opened[0] ? "" : Uri(row.dropped[0]));
  }
  EXPECT_EQ(boxes, Strings{"Not opened | Hushmaker opens string packages (.sp, .str), voice files "
                           "(.mp3, .wav) and folders of\nvoice files. Not opened:\n\n" +
                           Native("notes.txt") +
                           ": neither a string package (.sp, .str) nor a voice file (.mp3, .wav)\n" +
                           Native("empty") + ": a folder without voice files (.mp3, .wav)"});

  ASSERT_TRUE(Drop(300, 40, Uri("voices"), false));
  delete ui->main_window;
  delete ui;
  ui = nullptr;
  Fl::wait(0.05);
  EXPECT_EQ(Opened(), "");
}

// Ctrl+O in the name field opens the toolkit's chooser (GTK's would record the file in the
// user's recent files), filtered to packages and starting in the folder Generate would
// write into: the chooser's selection, else the folder an earlier Generate took from a
// chooser since cancelled, else the start folder. OK opens the level over that folder,
// Cancel nothing; the field keeps its text.
TEST_F(ViewsTest, CtrlOChoosesAPackageToOpenOverTheFolderGenerateWouldWriteInto) {
  const struct { const char *selected, *taken, *folder; bool picked; } rows[] = {
      {nullptr, "", ".", true},
      {"", "empty\\", "empty", true},
      {"voices", "empty\\", "voices", true},
      {"voices", "empty\\", "voices", false},
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
    ChooserAnswer answer{"Open a String Package", row.picked ? Native("mymap.sp") : ""};
    Fl::add_timeout(0.05, AnswerChooser, &answer);
    ui->filename_input->value("voice");
    ui->filename_input->take_focus();
    PressKey(ui->main_window, 'o', "\x0f", FL_CTRL);
    EXPECT_NE(answer.filter.find("*.{sp,str}"), std::string::npos) << answer.filter;
    EXPECT_TRUE(fs::equivalent(answer.folder, work / row.folder)) << answer.folder;
    EXPECT_STREQ(ui->filename_input->value(), "voice");
    EXPECT_EQ(Opened(true), row.picked ? "mymap.sp on " + std::string(row.folder) + "\n" : "");
  }
}

// The rows --check prints for the same paths (the one that plays read column by column),
// every column in view, each header whole (to the pixel, finer than the screenshot's
// reading in views_e2e.sh); closing the view's window ends it. Then a name wider than the
// screen: the view keeps to the screen and scrolls sideways, and the scroll bar takes no
// row from view (enough rows that the view is taller than its least).
TEST_F(ViewsTest, CheckViewShowsEachFilesVerdictCaptionAndDetailWithEveryColumnInView) {
  CheckView* view = OpenCheckView({Native("voices"), Native("gone.wav")});
  EXPECT_EQ(Opened(), "Check: voices, gone.wav\n");
  const Strings own = {"voices/own.mp3", "Jedi Outcast plays it", "3.996 s", "MPEG-1 Layer III, 44,100 Hz, mono, VBR"};
  CheckTable* table = view->table;
  ASSERT_EQ(table->rows(), 3);
  fl_font(FL_HELVETICA, 14);
  int columns = 0;
  for (int column = 0; column < UI_CHECK_COLUMNS; ++column) {
    columns += table->col_width(column);
    EXPECT_EQ(table->cell_text(1, column), own[column]);
    EXPECT_LE(fl_width(CheckTable::header_text(column)), table->col_width(column) - 12) << "a header is cut";
  }
  EXPECT_LE(columns, table->w() - Fl::box_dw(table->box()) - Fl::scrollbar_size());
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
  EXPECT_LE(view->w(), Fl::w());
  int x = 0, y = 0, w = 0, h = 0;
  ASSERT_TRUE(table->cell_area(7, UI_CHECK_FILE, &x, &y, &w, &h));
  const int rowsEnd = table->y() + table->h() - Fl::box_dh(table->box()) / 2 - Fl::scrollbar_size();
  EXPECT_LE(y + h, rowsEnd) << "the last row is under the scroll bar";
}

// Enter typed in a view with the mouse over the main window: the toolkit offers the key to
// the widgets below the mouse too, and Exit must not take it; Enter in the main window is
// Exit.
TEST_F(ViewsTest, KeysTypedInAViewAreNotTheMainWindows) {
  CheckView* view = OpenCheckView({Native("voices")});
  Fl::wait(0.05);
  view->table->take_focus();
  Fl::belowmouse(ui->welcome_button);
  PressKey(view, FL_Enter, "\r", 0);
  EXPECT_TRUE(ui->main_window->shown()) << "Enter in the view pressed Exit";
  ui->filename_input->take_focus();
  PressKey(ui->main_window, FL_Enter, "\r", 0);
  EXPECT_FALSE(ui->main_window->shown());
}

// The level view, telling the main window's status and feedback fields.
class LevelViewTest : public ViewsTest {
 protected:
  void Open(const std::string& package, const fs::path& folder) {
    view = OpenLevelView(Native(package), folder.string(), ui->status_output, ui->feedback_output,
                         ui->generate_button);
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

  void Set(Fl_Spinner* spinner, double value) {
    spinner->value(value);
    spinner->do_callback();
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

  std::string Told() const { return Text(ui->status_output->value()) + "|" + Text(ui->feedback_output->value()); }

  LevelView* view = nullptr;
};

// The lines as the level model has them, each text whole in its cell or cut to it with
// "...", every column in view, the problems as --strings tells them under the package's
// name. The lengths follow the reading settings at once; a typed length stays through them
// and through another language (only the package's own are offered), in which a line
// without a text of its own takes its English one.
TEST_F(LevelViewTest, ShowsEachLineAndRetimesItAsTheReadingSettingsAndLanguageChange) {
  Open("mymap.sp", level);
  EXPECT_EQ(Column(UI_LEVEL_REFERENCE), "KYLE_GREETING|GUARD_STOP|JAN_WAIT|LUKE_HELLO");
  EXPECT_EQ(Column(UI_LEVEL_TEXT), "Hello there, Kyle.|Stop right there! Nobody passes this gate "
                                   "without orders, soldier.||Hi.");
  EXPECT_EQ(Column(UI_LEVEL_SECONDS), "2|5||2");
  EXPECT_EQ(Column(UI_LEVEL_FOLDER).substr(0, 94), "no file yet|no file yet|no file: no text yet, so "
                                                   "no file|recorded, kept: Jedi Outcast plays it");
  EXPECT_EQ(Text(view->problems_browser->text(1)), "mymap.sp:20: JAN_WAIT: no text yet, so no file");
  fl_font(FL_HELVETICA, 14);
  int columns = 0;
  for (int column = 0; column < UI_LEVEL_COLUMNS; ++column) {
    columns += view->table->col_width(column);
    const int room = view->table->col_width(column) - 12;
    for (int row = 0; row < view->table->rows(); ++row) {
      const std::string shown = view->table->cell_text(row, column), full = view->table->full_text(row, column);
      EXPECT_EQ(shown, fl_width(full.c_str()) <= room ? full : full.substr(0, shown.size() - 3) + "...");
      EXPECT_LE(fl_width(shown.c_str()), room) << shown;
    }
  }
  EXPECT_LE(columns, view->table->w() - Fl::box_dw(view->table->box()) - Fl::scrollbar_size());

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
  const struct { int row; const char *typed, *seconds; } typed[] = {
      {1, "x9", "3|9 typed||3"}, {1, "4294967297", "3|28800 typed||3"}, {2, "7", "3|28800 typed||3"}};
  for (const auto& row : typed) {
    TypeSeconds(row.row, row.typed);
    EXPECT_EQ(Column(UI_LEVEL_SECONDS), row.seconds) << row.typed;
  }
  ASSERT_EQ(view->language_choice->size() - 1, 2);
  view->language_choice->value(view->language_choice->find_index("german"));
  view->language_choice->do_callback();
  EXPECT_EQ(view->language_choice->size() - 1, 2) << "the languages were listed twice";
  EXPECT_STREQ(view->language_choice->text(), "german");
  EXPECT_EQ(Column(UI_LEVEL_TEXT), "Hello there, Kyle.|Halt! Ohne Befehl kommt hier niemand durch, Soldat.||Hi.");
  EXPECT_EQ(Column(UI_LEVEL_SECONDS), "3|28800 typed||3");
}

// Every line with text and no recording is written at its length; the recording is kept.
// Each row, the summary, the progress bar and the main window's fields tell what happened
// (Generate greyed meanwhile), and the rows then tell what the folder holds.
TEST_F(LevelViewTest, WriteWritesEachLinesFileAndKeepsTheRecording) {
  // Opened as the main window opens a package given with its folder.
  ui->open_paths({Native("mymap.sp"), level.string()});
  for (Fl_Window* w = Fl::first_window(); w && !view; w = Fl::next_window(w)) view = dynamic_cast<LevelView*>(w);
  ASSERT_NE(view, nullptr);
  TypeSeconds(1, "3");
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
  EXPECT_EQ(view->progress->value(), view->progress->maximum());
  EXPECT_EQ(Told(), "Idle|\n>>> Level mymap.sp\n>>> Target directory: \"" + level.string() +
                        "/\"\n>>> 2 files written, 0 failed, 1 kept");
  ExpectDecodersReadSilence((level / "guard_stop.mp3").string(), 3);
  EXPECT_EQ(Column(UI_LEVEL_FOLDER).substr(0, 29), "silent: Jedi Outcast plays it");
  EXPECT_TRUE(view->write_button->active());
}

// A folder that is missing is made; Stop, pressed while the first file is written, leaves
// the others unwritten and says so. The view closed while it writes again: writing stops
// there too, and the main window is told.
TEST_F(LevelViewTest, WriteMakesAMissingFolderAndStopsBetweenFilesAtStopOrClose) {
  const fs::path made = work / "new" / "sub";
  Open("mymap.sp", made);
  Fl::add_timeout(0.0, [](void* data) { static_cast<LevelView*>(data)->stop_button->do_callback(); }, view);
  view->write_button->do_callback();
  EXPECT_EQ(Text(view->summary_box->label()), "made the folder; 1 file written, 0 failed, 2 left when stopped");
  EXPECT_EQ(Column(UI_LEVEL_WRITTEN), "written|left when stopped|no file|left when stopped");
  EXPECT_FALSE(view->stop_button->active());

  Fl::add_timeout(0.0, [](void* data) { static_cast<LevelView*>(data)->do_callback(); }, view);
  Fl_Widget_Tracker tracker(view);
  view->write_button->do_callback();
  Fl::wait(0.05);
  EXPECT_FALSE(tracker.exists());
  EXPECT_TRUE(ui->generate_button->active());
  EXPECT_EQ(Told(), "Idle|\n>>> Level mymap.sp\n>>> Target directory: \"" + made.string() +
                        "/\"\n>>> 1 file written, 0 failed, 1 left when stopped");
  EXPECT_EQ(ListFolder(made), "kyle_greeting.mp3\n");
}

// Two levels written at once, one while the other waits between files: Generate stays
// greyed until both are done.
TEST_F(LevelViewTest, GenerateStaysGreyedUntilEveryLevelIsWritten) {
  Open("mymap.sp", work / "first");
  LevelView* first = view;
  Open("mymap.sp", work / "second");
  static LevelView* second;
  static MainWindowUI* main;
  static bool greyedAfterSecond;
  second = view, main = ui, greyedAfterSecond = false;
  Fl::add_timeout(0.0, [](void*) {
    second->write_button->do_callback();
    greyedAfterSecond = !main->generate_button->active();
  });
  first->write_button->do_callback();
  EXPECT_TRUE(greyedAfterSecond);
  EXPECT_TRUE(ui->generate_button->active());
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
    EXPECT_EQ(Text(view->folder_output->value()), other.string() + "/");
    EXPECT_EQ(Column(UI_LEVEL_FOLDER).substr(0, 29), "silent: Jedi Outcast plays it");
    EXPECT_EQ(view->table->full_text(3, UI_LEVEL_FOLDER), "no file yet");
  }
}

// Nothing can be written for a package the game refuses (its problems shown), one without
// a voice line, or one that cannot be read; the view tells why.
TEST_F(LevelViewTest, APackageThatCannotBeWrittenTellsWhyAndWritesNothing) {
  // A line that begins with a blank: Jedi Academy refuses the file.
  Write("refused.str", "VERSION \"1\"\nREFERENCE AUX\nLANG_ENGLISH \"Aux.\"\n  REFERENCE B\nENDMARKER\n");
  Write("empty.sp", "VERSION 1\nCOUNT 0\n");
  const struct { const char* package; std::string summary; const char* problem; } rows[] = {
      {"refused.str", "the game refuses refused.str; nothing is written", "refused.str:4: "},
      {"empty.sp", "empty.sp holds no voice line (no REFERENCE of a line entry); nothing is written", "empty.sp:1: "},
      {"gone.sp", "cannot read " + Native("gone.sp") + ": No such file or directory; nothing is written", ""},
  };
  for (const auto& row : rows) {
    Open(row.package, level);
    EXPECT_EQ(Text(view->summary_box->label()), row.summary);
    EXPECT_EQ(Text(view->problems_browser->text(1)).substr(0, strlen(row.problem)), row.problem);
    EXPECT_EQ(view->table->rows(), 0);
    EXPECT_FALSE(view->write_button->active());
    view->write_button->do_callback();
    EXPECT_EQ(ListFolder(level), "luke_hello.mp3\n");
    delete view;
  }
}

}  // namespace
