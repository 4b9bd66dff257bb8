// A real main window for in-process tests, with the pause, the opener and the box
// presenter replaced by recorders, and helpers that act on it like a user.
#pragma once

#include <gtest/gtest.h>

#include <FL/Fl.H>
#include <FL/Fl_File_Chooser.H>
#include <FL/Fl_Group.H>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "ui/main_window_ui.h"

// One thing the recorders saw: a pause ("pause 500"), an opened target ("open <target>")
// or a box ("box"), with what the feedback and status fields showed at that moment.
struct Recorded {
  std::string event;
  std::string feedback;
  std::string status;

  bool operator==(const Recorded& other) const {
    return event == other.event && feedback == other.feedback && status == other.status;
  }
};

inline std::ostream& operator<<(std::ostream& out, const Recorded& r) {
  return out << "{" << r.event << " | feedback " << testing::PrintToString(r.feedback)
             << " | status " << testing::PrintToString(r.status) << "}";
}

class WindowTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(OpenDisplay()) << "needs an X display"; }

  void SetUp() override {
    ui = new MainWindowUI;
    ReplacePause([this](unsigned int ms) { Record("pause " + std::to_string(ms)); });
    ReplaceOpener([this](const char* target) { Record(std::string("open ") + target); });
    ReplaceBoxPresenter([this](const char*, const char* text, BoxIcon) {
      Record("box");
      box_texts.push_back(text);
    });
    ui->main_window->show();
    Fl::check();
  }

  void TearDown() override {
    ReplacePause(nullptr);
    ReplaceOpener(nullptr);
    ReplaceBoxPresenter(nullptr);
    Fl_Window* window = ui->main_window;
    delete ui;
    delete window;
    Fl::check();
    current_dir = nullptr;
    version_text = nullptr;
  }

  void Record(const std::string& event) {
    recorded.push_back({event, Text(ui->feedback_output->value()),
                        Text(ui->status_output->value())});
  }

  static std::string Text(const char* text) { return text ? text : ""; }

  // Puts text into the entry part of "Silence Time:" and lets the field read it, as
  // typing does.
  void TypeLength(const char* typed) {
    ui->silence_time_input->input.value(typed);
    ui->silence_time_input->input.do_callback();
  }

  // Runs `answer` on the next directory chooser once it is up.
  void AnswerNextChooser(std::function<void(Fl_File_Chooser*)> answer);
  // Presses "Select Output Directory" and answers its chooser.
  void ChooseDirectory(std::function<void(Fl_File_Chooser*)> answer) {
    AnswerNextChooser(std::move(answer));
    ui->output_dir_button->do_callback();
  }

  MainWindowUI* ui = nullptr;
  std::vector<Recorded> recorded;
  std::vector<std::string> box_texts;
};

// The first widget under group whose label is label.
Fl_Widget* FindByLabel(Fl_Group* group, const char* label);

// Answers for ChooseDirectory.
std::function<void(Fl_File_Chooser*)> PickDirectory(const std::string& path);
std::function<void(Fl_File_Chooser*)> CancelChooser();

// A fresh empty folder, removed again with the object.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::filesystem::path& path() const { return path_; }
  // The folder in the program's own form, as the shell keeps current_dir.
  std::string OwnForm() const;

 private:
  std::filesystem::path path_;
};

// Runs the rest of a scope with another working directory.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::filesystem::path& path);
  ~WorkingDirectory();

 private:
  std::filesystem::path previous_;
};
