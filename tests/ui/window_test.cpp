// The real main window in-process, in a fresh working directory, with the pause, the
// opener and the box presenter replaced by recorders: its layout, its actions pressed on the
// real widgets, and Generate with the real writer.
#include <gtest/gtest.h>

#include <FL/Fl.H>
#include <FL/Fl_File_Chooser.H>
#include <FL/Fl_Tooltip.H>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "generator/generate_command.h"
#include "platform/platform_window.h"
#include "tests/test_support.h"
#include "ui/main_window_ui.h"

#include "tests/ui/find_widget.h"

// Last: it brings X11's None macro, which would rename DirectoryProblem::None above.
#include <FL/fl_draw.H>

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
std::string Text(const char* text) { return text ? text : ""; }


// The start folder is also the home, so no toolkit settings file reaches the user's home.
const int HOME_SET = setenv("HOME", fs::current_path().c_str(), 1);

// Each test in a scratch folder of its own as the working directory.
class WindowTest : public ScratchDirectoryTest {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(OpenDisplay()) << "needs an X display"; }

  void SetUp() override {
    ScratchDirectoryTest::SetUp();
    current_dir = work_own_form.data();
    ui = new MainWindowUI;
    ReplacePause([this](unsigned int ms) { Record("", ms); });
    ReplaceOpener([this](const char* target) { Record(std::string("open ") + target + ": "); });
    ReplaceBoxPresenter([this](const char*, const char* text, BoxIcon) {
      Record("box: ");
      box_texts.push_back(text);
    });
    ui->show_window();
    Fl::check();
  }

  void TearDown() override {
    ReplacePause(nullptr);
    ReplaceOpener(nullptr);
    ReplaceBoxPresenter(nullptr);
    if (ui) delete ui->main_window;
    delete ui;
    current_dir = version_text = nullptr;
    ScratchDirectoryTest::TearDown();
  }

  // What the user sees at each pause ("<feedback> | <status>"), while a box is up ("box: "
  // before it) and when a link is opened ("open <target>: "); a sight held over several
  // pauses is recorded once, with the time it was held in paused.
  void Record(const std::string& event, unsigned int ms = 0) {
    const std::string seen = event + Text(ui->feedback_output->value()) + " | " +
                             Text(ui->status_output->value());
    if (recorded.empty() || recorded.back() != seen) recorded.push_back(seen);
    paused[seen] += ms;
  }
  // Presses button with an empty record, over an earlier text in the feedback field.
  void Press(Fl_Widget* button) {
    recorded.clear();
    paused.clear();
    box_texts.clear();
    ui->feedback_output->value("earlier");
    button->do_callback();
  }

  // Sends one key through the toolkit's own event handling.
  void PressKey(int key, const char* text, int state = 0) {
    Fl::e_keysym = key;
    Fl::e_state = state;
    Fl::e_text = const_cast<char*>(text);
    Fl::e_length = static_cast<int>(strlen(text));
    Fl::handle(FL_KEYBOARD, ui->main_window);
  }

  // Empties "Silence Time:" (Ctrl+A, BackSpace) and types text into it key by key.
  void TypeLength(const std::string& typed) {
    ui->silence_time_input->take_focus();
    PressKey('a', "\x01", FL_CTRL);
    PressKey(FL_BackSpace, "");
    for (char c : typed) PressKey(static_cast<unsigned char>(c), std::string(1, c).c_str());
  }

  // Presses "Select Output Directory" and, once its chooser has been up for secondsOpen,
  // picks path there with OK, or presses Cancel when path is empty. Gives the processor
  // time the action took.
  double ChooseDirectory(const std::string& path, double secondsOpen = 0.01) {
    answer = path;
    Fl::add_timeout(secondsOpen, AnswerChooser, this);
    const clock_t start = clock();
    ui->output_dir_button->do_callback();
    return double(clock() - start) / CLOCKS_PER_SEC;
  }
  static void AnswerChooser(void* data) {
    auto* self = static_cast<WindowTest*>(data);
    Fl_File_Chooser* chooser = self->ui->dir_chooser;
    if (!chooser || !chooser->shown()) return Fl::repeat_timeout(0.01, AnswerChooser, data);
    if (!self->answer.empty()) chooser->value(self->answer.c_str());
    FindByLabel(chooser->newButton->window(), self->answer.empty() ? "Cancel" : "OK")
        ->do_callback();
  }

  const fs::path work = scratch_.path;
  std::string work_own_form = scratch_.Own(), answer;
  MainWindowUI* ui = nullptr;
  std::vector<std::string> recorded;
  std::map<std::string, unsigned int> paused;
  std::vector<std::string> box_texts;
};

// ---- Layout

struct Area { int x, y, w, h; };

// Where the toolkit draws a widget's own label: inside its box, less the return arrow
// of a return button or the box of a check button.
Area LabelAreaInside(const Fl_Widget* w) {
  const int dx = Fl::box_dx(w->box());
  if (dynamic_cast<const Fl_Return_Button*>(w)) {
    const int arrow = std::min(w->h(), w->w() / 3);
    return {w->x() + dx, w->y(), w->w() - 2 * dx - arrow, w->h()};
  }
  if (dynamic_cast<const Fl_Check_Button*>(w)) {
    const int left = dx + 2 + w->labelsize() + 2;
    return {w->x() + left, w->y(), w->w() - left - dx, w->h()};
  }
  Area area = {w->x() + dx, w->y() + Fl::box_dy(w->box()), w->w() - Fl::box_dw(w->box()),
               w->h() - Fl::box_dh(w->box())};
  const bool sideMargins = area.w > 11 && (w->align() & (FL_ALIGN_LEFT | FL_ALIGN_RIGHT));
  return sideMargins ? Area{area.x + 3, area.y, area.w - 6, area.h} : area;
}

TEST_F(WindowTest, EveryLabelAndValueFitsWhereTheToolkitDrawsIt) {
  Fl_Window* win = ui->main_window;
  EXPECT_EQ(Fl_Group::current(), nullptr) << "the window's group was left open";
  EXPECT_EQ(ui->feedback_output->type(), FL_MULTILINE_OUTPUT_WRAP) << "long texts must wrap";
  Fl_Widget* settings = FindByLabel(win, "Encoding_settings");
  const int frameEdge = settings->x() + Fl::box_dx(settings->box());
  struct Row { const char* text; Fl_Font font; int size, align; Area area; };
  std::vector<Row> rows;
  for (Fl_Widget* w : std::vector<Fl_Widget*>{ui->welcome_button, ui->exit_button,
           ui->generate_button, ui->output_dir_button, ui->tooltips_button,
           FindByLabel(win, "Version 1.0.0"), ui->mail_button}) {
    Area area = LabelAreaInside(w);
    if (w->labeltype() == FL_SHADOW_LABEL) area = {area.x, area.y, area.w - 2, area.h - 2};
    rows.push_back({w->label(), w->labelfont(), w->labelsize(), int(w->align()), area});
  }
  // Each field's value starts one pixel into its box; its label stands left of it, inside
  // the settings frame.
  const std::pair<Fl_Widget*, Fl_Input_*> fields[] = {
      {ui->status_output, ui->status_output}, {ui->filename_input, ui->filename_input},
      {ui->silence_time_input, &ui->silence_time_input->input}};
  for (const auto& [w, f] : fields) {
    const Fl_Boxtype box = f->box();
    rows.push_back({f->value(), f->textfont(), f->textsize(), 0,
                    {f->x() + Fl::box_dx(box) + 1, f->y() + Fl::box_dy(box),
                     f->w() - Fl::box_dw(box) - 1, f->h() - Fl::box_dh(box)}});
    rows.push_back({w->label(), w->labelfont(), w->labelsize(), 0,
                    {frameEdge, w->y(), w->x() - 3 - frameEdge, w->h()}});
  }
  // The size the toolkit gives a text, wrapped to the width when the alignment asks for
  // it. A '&' only underlines the next letter.
  for (const Row& row : rows) {
    std::string shown = row.text;
    shown.erase(std::remove(shown.begin(), shown.end(), '&'), shown.end());
    fl_font(row.font, row.size);
    int w = (row.align & FL_ALIGN_WRAP) ? row.area.w : 0, h = 0;
    fl_measure(shown.c_str(), w, h, 0);
    EXPECT_TRUE(w <= row.area.w && h <= row.area.h)
        << "\"" << row.text << "\" needs " << w << " x " << h << " and has "
        << row.area.w << " x " << row.area.h;
    EXPECT_TRUE(row.area.x >= 0 && row.area.y >= 0 && row.area.x + row.area.w <= win->w() &&
                row.area.y + row.area.h <= win->h()) << row.text << " outside the window";
  }
}

// ---- Actions other than a real Generate run: help pages, links, mail, tooltips switch
// and directory chooser.

// The pages are told apart by how they begin; the fourth press empties the field.
TEST_F(WindowTest, WelcomePagesThroughThreeHelpTextsAndAnEmptyField) {
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
TEST_F(WindowTest, LinksShowTheirTextsThenOpenTheTargetOfTheirPictureWithoutWaiting) {
  char version[] = "\n>>> DLL version:               1.00";
  version_text = version;
  const struct { Fl_Button* button; Fl_Pixmap* picture; std::string target, program; } rows[] = {
      {ui->link_button_1, &banner_image_1, LINK_WEB_ADDRESS_1, "Internet browser"},
      {ui->link_button_2, &banner_image_2, LINK_WEB_ADDRESS_2, "Internet browser"},
      {ui->link_button_3, &banner_image_3, LINK_WEB_ADDRESS_3, "Internet browser"},
      {ui->mail_button, nullptr, LINK_FEEDBACK_MAIL, "mail application"},
  };
  for (const auto& row : rows) {
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

TEST_F(WindowTest, AltDFlipsTheTooltipsSwitchAndItsMark) {
  for (bool on : {true, false}) {
    PressKey('d', "d", FL_ALT);
    EXPECT_EQ(Fl_Tooltip::enabled() != 0, on);
    EXPECT_EQ(ui->tooltips_button->value(), on ? 0 : 1);
  }
}

TEST_F(WindowTest, ChooserIsReadByGenerateACancelKeepsTheChoiceAndEachChooserIsDestroyed) {
  Fl_File_Chooser::filename_label = "Filename:";  // the toolkit's own, process-wide
  const ScratchDirectory first, second;
  // What is picked ("" cancels) and what Generate uses then.
  const std::pair<std::string, std::string> picks[] = {
      {first.path, first.Own()}, {"", first.Own()}, {second.path, second.Own()}};
  std::vector<std::unique_ptr<Fl_Widget_Tracker>> choosers;  // each chooser's window
  const auto alive = [&choosers] {
    return std::count_if(choosers.begin(), choosers.end(), [](auto& t) { return t->exists(); });
  };
  for (const auto& [pick, used] : picks) {
    // Spinning through the 0.3 s wait would take about as much processor time.
    EXPECT_LT(ChooseDirectory(pick, 0.3), 0.1) << "the wait for the chooser is not asleep";
    choosers.push_back(std::make_unique<Fl_Widget_Tracker>(ui->dir_chooser->newButton->window()));
    EXPECT_EQ(alive(), 1) << "the chooser before was not destroyed";
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

// ---- Generate: what the fields show at each pause, which file appears where, and what
// the name field holds after.

TEST_F(WindowTest, GenerateRunsAnnounceTheFileWrittenWarnPastTheGameLimitAndWriteBackTheName) {
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
    char result[UI_MESSAGE_TEXT_SIZE];
    ComposeResultText(result, sizeof result, ui->encode_result);  // its wording is tested apart
    EXPECT_EQ(Text(ui->feedback_output->value()), ok ? result : GENERATE_TEXT_FAILURE);
    EXPECT_STREQ(ui->filename_input->value(), row.writtenBack);
    EXPECT_EQ(fs::exists(where / row.file), ok);
  }
}

// A folder the program cannot name whole is refused before anything is announced, and so
// before anything is written: a start folder it could not hold, a chosen one with a backslash.
TEST_F(WindowTest, GenerateRefusesAFolderItCannotNameBeforeWritingAnything) {
  const fs::path slashed = work / "a\\b";
  fs::create_directories(slashed);
  TypeLength("1");
  char unheld[] = "";
  current_dir = unheld;
  for (const std::string& chosen : {""s, slashed.string()}) {
    if (!chosen.empty()) ChooseDirectory(chosen);
    Press(ui->generate_button);
    EXPECT_EQ(recorded, (std::vector<std::string>{"earlier | Idle", "box: earlier | Idle"}));
    ASSERT_EQ(box_texts.size(), 1u);
    EXPECT_NE(box_texts[0].find(chosen.empty() ? "choose a target directory" : "holds a backslash"),
              std::string::npos) << box_texts[0];
  }
}

TEST_F(WindowTest, TypedLengthIsTheDecimalNumberShownHeldToTheRange) {
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
  // With no length Generate asks for seconds, long enough to read, then empties the field,
  // and writes nothing.
  Press(ui->generate_button);
  const std::string asked = GENERATE_TEXT_LENGTH_ZERO + " | Idle"s;
  EXPECT_EQ(recorded, (std::vector<std::string>{"earlier | Idle", asked}));
  EXPECT_EQ(paused[asked], 4000u);
  EXPECT_EQ(Text(ui->feedback_output->value()), "");
}

}  // namespace
