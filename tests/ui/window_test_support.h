// A real main window for in-process tests, in a fresh working directory, with the pause,
// the opener and the box presenter replaced by recorders.
#pragma once

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
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "platform/platform_window.h"
#include "ui/main_window_ui.h"

namespace fs = std::filesystem;

inline std::string Text(const char* text) { return text ? text : ""; }

// A folder in the program's own form, as the shell keeps current_dir.
inline std::string OwnForm(const fs::path& folder) {
  std::string own = folder.string() + "/";
  std::replace(own.begin(), own.end(), '/', '\\');
  return own;
}

inline Fl_Widget* FindByLabel(Fl_Group* group, const char* label) {
  for (int i = 0; i < group->children(); ++i) {
    Fl_Widget* child = group->child(i);
    if (Text(child->label()) == label) return child;
    if (Fl_Widget* inner = child->as_group() ? FindByLabel(child->as_group(), label) : nullptr)
      return inner;
  }
  return nullptr;
}

// The start folder is also the home, so no toolkit settings file reaches the user's home.
inline const fs::path TEST_HOME = [] {
  setenv("HOME", fs::current_path().c_str(), 1);
  return fs::current_path();
}();

class WindowTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(OpenDisplay()) << "needs an X display"; }

  void SetUp() override {
    fs::create_directories(work);
    fs::current_path(work);
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
    fs::current_path(TEST_HOME);
    fs::remove_all(work);
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
  // Presses button with an empty record.
  void Press(Fl_Widget* button) {
    recorded.clear();
    paused.clear();
    box_texts.clear();
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

  const fs::path work = TEST_HOME / ("work-" + std::to_string(getpid()));  // own per process
  std::string work_own_form = OwnForm(work), answer;
  MainWindowUI* ui = nullptr;
  std::vector<std::string> recorded;
  std::map<std::string, unsigned int> paused;
  std::vector<std::string> box_texts;
};
