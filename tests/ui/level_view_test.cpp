// The level view in-process over a real package and folder: its rows read back from its
// table, the reading settings and a typed length, Write with the real writer (its files
// read by other decoders), Stop, the folder chooser, and the packages it refuses to write.
#include <gtest/gtest.h>

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_File_Chooser.H>
#include <FL/Fl_Window.H>
#include <FL/fl_ask.H>

#include <filesystem>
#include <string>
#include <vector>

#include "generator/hushmaker.h"
#include "platform/platform_window.h"
#include "tests/test_support.h"
#include "ui/level_view.h"

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

const char* const GUARD_TEXT = "Stop right there! Nobody passes this gate without orders, soldier.";

// Three MPEG-1 Layer III mono frames at 128 kbit/s whose first granule codes some sound:
// a recording, as far as telling silence goes.
Bytes Recording() {
  Bytes frame(417, 0);
  const uint8_t header[] = {0xFF, 0xFB, 0x90, 0xC0};
  std::copy(header, header + 4, frame.begin());
  frame[4 + 3] = 0x20;  // within part2_3_length
  Bytes stream;
  for (int count = 0; count < 3; ++count) stream.insert(stream.end(), frame.begin(), frame.end());
  return stream;
}

std::string Text(const char* text) { return text ? text : ""; }


// What to pick in the folder chooser ("" cancels), and the title it had.
std::string g_pick, g_title;

void AnswerFolderChooser(void*) {
  for (Fl_Window* w = Fl::first_window(); w; w = Fl::next_window(w)) {
    if (Text(w->label()) != "Select Output Directory") continue;
    g_title = w->label();
    // The chooser's window carries the chooser as its callback's data.
    auto* chooser = static_cast<Fl_File_Chooser*>(w->user_data());
    if (!g_pick.empty()) chooser->value(g_pick.c_str());
    FindByLabel(w, g_pick.empty() ? fl_cancel : fl_ok)->do_callback();
    return;
  }
  Fl::repeat_timeout(0.05, AnswerFolderChooser);
}

class LevelViewTest : public ScratchDirectoryTest {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(OpenDisplay()) << "needs an X display"; }

  void SetUp() override {
    ScratchDirectoryTest::SetUp();
    fs::create_directories(work / "strip");
    fs::create_directories(voices);
    Write("strip/mymap.sp", PACKAGE);
    WriteWholeFile((voices / "luke_hello.mp3").string(), Recording());
    ReplaceBoxPresenter([this](const char*, const char* text, BoxIcon) { boxes.push_back(text); });
    // Stand-ins for the main window's status and feedback fields and Generate.
    main = new Fl_Window(300, 200);
    status = new Fl_Output(10, 10, 280, 30);
    feedback = new Fl_Output(10, 50, 280, 100);
    generate = new Fl_Button(10, 160, 80, 30);
    main->end();
    status->value("Idle");
  }

  void TearDown() override {
    delete view;
    delete main;
    ReplaceBoxPresenter(nullptr);
    ScratchDirectoryTest::TearDown();
  }

  void Write(const std::string& name, const std::string& text) {
    WriteWholeFile((work / name).string(), Bytes(text.begin(), text.end()));
  }

  LevelView* Open(const std::string& package, const fs::path& folder) {
    view = OpenLevelView((work / package).string(), folder.string(), status, feedback, generate);
    Fl::wait(0.05);
    return view;
  }

  // The rows as the table shows them, cells joined by " | ".
  Strings Rows(bool whole = false) const {
    Strings rows;
    for (int row = 0; row < view->table->rows(); ++row) {
      std::string joined;
      for (int column = 0; column < UI_LEVEL_COLUMNS; ++column) {
        joined += (column ? " | " : "") + (whole ? view->table->full_text(row, column)
                                                 : view->table->cell_text(row, column));
      }
      rows.push_back(joined);
    }
    return rows;
  }

  Strings Problems() const {
    Strings problems;
    for (int line = 1; line <= view->problems_browser->size(); ++line) {
      problems.push_back(view->problems_browser->text(line));
    }
    return problems;
  }

  void TypeSeconds(int row, const char* typed) {
    view->table->select_all_rows(0);
    view->table->select_row(row, 1);
    view->cb_row_i();
    view->seconds_input->value(typed);
    view->seconds_input->do_callback();
  }

  const fs::path work = scratch_.path;
  const fs::path voices = work / "sound" / "chars" / "mymap";
  Fl_Window* main = nullptr;
  Fl_Output* status = nullptr;
  Fl_Output* feedback = nullptr;
  Fl_Button* generate = nullptr;
  LevelView* view = nullptr;
  Strings boxes;
};

TEST_F(LevelViewTest, ShowsEachLineAsTheLevelModelHasItWholeInItsCell) {
  Open("strip/mymap.sp", voices);
  EXPECT_EQ(Text(view->label()), "mymap.sp");
  EXPECT_EQ(Text(view->folder_output->value()), voices.string() + "/");
  const Strings whole = Rows(true);
  ASSERT_EQ(whole.size(), 4u);
  EXPECT_EQ(whole[0], "KYLE_GREETING | Hello there, Kyle. | 2 | no file yet | ");
  EXPECT_EQ(whole[1], "GUARD_STOP | " + std::string(GUARD_TEXT) + " | 5 | no file yet | ");
  EXPECT_EQ(whole[2], "JAN_WAIT |  |  | no file: no text yet, so no file | ");
  const std::string recorded = "LUKE_HELLO | Hi. | 2 | recorded, kept: Jedi Outcast plays it";
  EXPECT_EQ(whole[3].substr(0, recorded.size()), recorded);
  // The problems as --strings tells them, under the package's name.
  EXPECT_EQ(Problems(), Strings{"mymap.sp:20: JAN_WAIT: no text yet, so no file"});
  // Each text drawn whole or cut to its cell, never past it.
  fl_font(FL_HELVETICA, 14);
  for (int row = 0; row < view->table->rows(); ++row) {
    for (int column = 0; column < UI_LEVEL_COLUMNS; ++column) {
      const std::string shown = view->table->cell_text(row, column);
      const std::string full = view->table->full_text(row, column);
      EXPECT_LE(fl_width(shown.c_str()), view->table->col_width(column) - 12) << shown;
      const bool cut = shown != full;
      EXPECT_EQ(cut, fl_width(full.c_str()) > view->table->col_width(column) - 12) << full;
      if (cut) {
        EXPECT_EQ(shown.substr(shown.size() - 3), "...");
        EXPECT_EQ(full.substr(0, shown.size() - 3), shown.substr(0, shown.size() - 3));
      }
    }
  }
  EXPECT_TRUE(view->write_button->active());
  EXPECT_EQ(view->summary_box->label() ? Text(view->summary_box->label()) : "", "");
}

// The lengths follow the reading settings at once; a typed length stays through them and
// through another language, in which a line without a text of its own takes its English one.
TEST_F(LevelViewTest, ReadingSettingsAndLanguageRetimeTheLinesAndTypedLengthsStay) {
  Open("strip/mymap.sp", voices);
  const auto seconds = [this](int row) { return view->table->full_text(row, UI_LEVEL_SECONDS); };
  view->cps_spinner->value(5);
  view->cps_spinner->do_callback();
  EXPECT_EQ(Strings({seconds(0), seconds(1), seconds(3)}), Strings({"4", "14", "2"}));
  TypeSeconds(1, "9");
  EXPECT_EQ(seconds(1), "9 typed");
  view->cps_spinner->value(15);
  view->cps_spinner->do_callback();
  view->min_seconds_spinner->value(3);
  view->min_seconds_spinner->do_callback();
  EXPECT_EQ(Strings({seconds(0), seconds(1), seconds(3)}), Strings({"3", "9 typed", "3"}));
  // Not a whole number: the length stays; past the longest file: held to it.
  TypeSeconds(1, "x9");
  EXPECT_EQ(seconds(1), "9 typed");
  TypeSeconds(1, "99999");
  EXPECT_EQ(seconds(1), "28800 typed");
  TypeSeconds(1, "9");
  // A line without a file takes no length.
  TypeSeconds(2, "7");
  EXPECT_EQ(seconds(2), "");
  // The package's own languages only.
  ASSERT_EQ(view->language_choice->size() - 1, 2);
  EXPECT_EQ(Text(view->language_choice->text(0)), "english");
  view->language_choice->value(view->language_choice->find_index("german"));
  view->language_choice->do_callback();
  EXPECT_EQ(Text(view->language_choice->text()), "german");
  EXPECT_EQ(view->table->full_text(1, UI_LEVEL_TEXT), "Halt! Ohne Befehl kommt hier niemand durch, Soldat.");
  EXPECT_EQ(view->table->full_text(0, UI_LEVEL_TEXT), "Hello there, Kyle.");
  EXPECT_EQ(seconds(1), "9 typed");
  EXPECT_EQ(seconds(0), "3");
}

// Every line with text and no recording is written at its length; the recording is kept.
// Each row, the summary, the progress bar and the main window's fields tell what happened.
TEST_F(LevelViewTest, WriteWritesEachLinesFileAndKeepsTheRecording) {
  Open("strip/mymap.sp", voices);
  TypeSeconds(1, "3");
  // What the main window shows while the files are written.
  static Fl_Output* statusShown;
  static Fl_Button* generateShown;
  static std::string during;
  statusShown = status, generateShown = generate, during.clear();
  Fl::add_timeout(0.0, [](void*) {
    during = Text(statusShown->value()) + (generateShown->active() ? " Generate" : "");
  });
  view->write_button->do_callback();
  EXPECT_EQ(during, "Working");
  EXPECT_TRUE(generate->active());
  const Strings written = {"written", "written", "no file", "kept: holds recorded sound"};
  for (int row = 0; row < 4; ++row) EXPECT_EQ(view->table->full_text(row, UI_LEVEL_WRITTEN), written[row]);
  EXPECT_EQ(Text(view->summary_box->label()), "2 files written, 0 failed, 1 kept");
  EXPECT_EQ(view->progress->value(), view->progress->maximum());
  EXPECT_EQ(view->progress->maximum(), 3.0f);
  EXPECT_EQ(Text(status->value()), "Idle");
  EXPECT_EQ(Text(feedback->value()), "\n>>> Level mymap.sp\n>>> Target directory: \"" +
                                         voices.string() + "/\"\n>>> 2 files written, 0 failed, 1 kept");
  ExpectDecodersReadSilence((voices / "kyle_greeting.mp3").string(), 2);
  ExpectDecodersReadSilence((voices / "guard_stop.mp3").string(), 3);
  EXPECT_EQ(ReadWholeFile((voices / "luke_hello.mp3").string()), Recording());
  EXPECT_EQ(ListFolder(voices), "guard_stop.mp3\nkyle_greeting.mp3\nluke_hello.mp3\n");
  // What the folder holds now.
  EXPECT_EQ(view->table->full_text(0, UI_LEVEL_FOLDER).substr(0, 29), "silent: Jedi Outcast plays it");
  EXPECT_TRUE(boxes.empty());
  EXPECT_TRUE(view->write_button->active());
}

// A folder that is missing is made; Stop, pressed while the first file is written, leaves
// the others unwritten and says so.
TEST_F(LevelViewTest, WriteMakesAMissingFolderAndStopsBetweenFiles) {
  const fs::path made = work / "new" / "sub";
  Open("strip/mymap.sp", made);
  Fl::add_timeout(0.0, [](void* data) { static_cast<LevelView*>(data)->stop_button->do_callback(); }, view);
  view->write_button->do_callback();
  EXPECT_EQ(ListFolder(made), "kyle_greeting.mp3\n");
  EXPECT_EQ(Text(view->summary_box->label()), "made the folder; 1 file written, 0 failed, 2 left when stopped");
  EXPECT_EQ(view->table->full_text(1, UI_LEVEL_WRITTEN), "left when stopped");
  EXPECT_FALSE(view->stop_button->active());
}

// The view goes while it writes: writing stops there and the main window is told.
TEST_F(LevelViewTest, ClosingTheViewWhileItWritesStopsAndTellsTheMainWindow) {
  Open("strip/mymap.sp", voices);
  Fl::add_timeout(0.0, [](void* data) { static_cast<LevelView*>(data)->do_callback(); }, view);
  Fl_Widget_Tracker tracker(view);
  view->write_button->do_callback();
  Fl::wait(0.05);
  EXPECT_FALSE(tracker.exists());
  view = nullptr;
  EXPECT_EQ(Text(status->value()), "Idle");
  EXPECT_NE(Text(feedback->value()).find("1 file written, 0 failed"), std::string::npos) << feedback->value();
  EXPECT_EQ(ListFolder(voices), "kyle_greeting.mp3\nluke_hello.mp3\n");
}

// The folder is chosen with the main window's chooser; the rows then tell that folder's
// files. A cancelled chooser keeps the folder.
TEST_F(LevelViewTest, TheFolderButtonMovesTheLevelToTheFolderChosen) {
  const fs::path other = work / "other";
  fs::create_directories(other);
  ASSERT_NE(CreateBlankMP3(2, (scratch_.Own() + "other\\").c_str(), "kyle_greeting"), -1);
  Open("strip/mymap.sp", voices);
  for (const std::string& chosen : {other.string(), std::string()}) {
    g_pick = chosen;
    g_title.clear();
    Fl::add_timeout(0.05, AnswerFolderChooser);
    view->folder_button->do_callback();
    EXPECT_EQ(g_title, "Select Output Directory");
    EXPECT_EQ(Text(view->folder_output->value()), other.string() + "/");
    EXPECT_EQ(view->table->full_text(0, UI_LEVEL_FOLDER).substr(0, 29), "silent: Jedi Outcast plays it");
    EXPECT_EQ(view->table->full_text(3, UI_LEVEL_FOLDER), "no file yet");
  }
}

// Nothing can be written for a package the game refuses, one without a voice line, or one
// that cannot be read; the view tells why.
TEST_F(LevelViewTest, APackageThatCannotBeWrittenTellsWhyAndWritesNothing) {
  // A line that begins with a blank: Jedi Academy refuses the file.
  Write("strip/refused.str", "VERSION \"1\"\nREFERENCE AUX\nLANG_ENGLISH \"Aux.\"\n  REFERENCE B\nENDMARKER\n");
  Write("strip/empty.sp", "VERSION 1\nCOUNT 0\n");
  // The problems as --strings tells them: the refusal's line first.
  const struct { const char* package; std::string summary, firstProblem; } rows[] = {
      {"strip/refused.str", "the game refuses refused.str; nothing is written",
       "refused.str:4: a line that begins with a blank: the game takes a keyword only at the "
       "line's start: Jedi Academy refuses the file and quits at start-up"},
      {"strip/empty.sp", "empty.sp holds no voice line (no REFERENCE of a line entry); nothing is written", ""},
      {"strip/gone.sp", "cannot read " + (work / "strip/gone.sp").string() +
                            ": No such file or directory; nothing is written", ""},
  };
  for (const auto& row : rows) {
    Open(row.package, voices);
    EXPECT_EQ(Text(view->summary_box->label()), row.summary);
    EXPECT_EQ(view->table->rows(), 0);
    if (row.firstProblem[0]) {
      EXPECT_EQ(Problems().at(0), row.firstProblem);
    }
    EXPECT_FALSE(view->write_button->active());
    view->write_button->do_callback();
    EXPECT_EQ(ListFolder(voices), "luke_hello.mp3\n");
    EXPECT_EQ(Text(status->value()), "Idle");
    delete view;
    view = nullptr;
  }
}

}  // namespace
