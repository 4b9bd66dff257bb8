// Helpers of the in-process window tests: chooser answers, temporary folders.
#include "tests/ui/window_test_support.h"

#include <FL/Fl_Window.H>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

struct PendingAnswer {
  MainWindowUI* ui;
  std::function<void(Fl_File_Chooser*)> answer;
};

// Waits for the chooser that the directory action shows, then answers it once.
void AnswerWhenShown(void* data) {
  auto* pending = static_cast<PendingAnswer*>(data);
  Fl_File_Chooser* chooser = pending->ui->dir_chooser;
  if (!chooser || !chooser->shown()) {
    Fl::repeat_timeout(0.01, AnswerWhenShown, data);
    return;
  }
  std::unique_ptr<PendingAnswer> done(pending);
  done->answer(chooser);
}

// The toolkit's chooser keeps its preferences under $HOME; the tests keep them in the
// build folder instead of the user's home.
const bool chooser_home_set = [] {
  std::filesystem::path home = std::filesystem::current_path() / "chooser-home";
  std::error_code ignored;
  std::filesystem::create_directories(home, ignored);
  return setenv("HOME", home.c_str(), 1) == 0;
}();

}  // namespace

void WindowTest::AnswerNextChooser(std::function<void(Fl_File_Chooser*)> answer) {
  Fl::add_timeout(0.01, AnswerWhenShown, new PendingAnswer{ui, std::move(answer)});
}

Fl_Widget* FindByLabel(Fl_Group* group, const char* label) {
  for (int i = 0; i < group->children(); ++i) {
    Fl_Widget* child = group->child(i);
    if (child->label() && strcmp(child->label(), label) == 0) return child;
    if (Fl_Group* inner = child->as_group()) {
      if (Fl_Widget* found = FindByLabel(inner, label)) return found;
    }
  }
  return nullptr;
}

std::function<void(Fl_File_Chooser*)> PickDirectory(const std::string& path) {
  return [path](Fl_File_Chooser* chooser) {
    chooser->value(path.c_str());
    Fl_Widget* ok = FindByLabel(chooser->newButton->window(), "OK");
    ASSERT_NE(ok, nullptr);
    ok->do_callback();
  };
}

std::function<void(Fl_File_Chooser*)> CancelChooser() {
  return [](Fl_File_Chooser* chooser) {
    Fl_Widget* cancel = FindByLabel(chooser->newButton->window(), "Cancel");
    ASSERT_NE(cancel, nullptr);
    cancel->do_callback();
  };
}

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "hushmaker-ui-XXXXXX").string();
  char* made = mkdtemp(pattern.data());
  if (made) path_ = made;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::OwnForm() const {
  std::string own = path_.string() + "/";
  for (char& c : own) {
    if (c == '/') c = '\\';
  }
  return own;
}

WorkingDirectory::WorkingDirectory(const std::filesystem::path& path)
    : previous_(std::filesystem::current_path()) {
  std::filesystem::current_path(path);
}

WorkingDirectory::~WorkingDirectory() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
}
