// The level view's window.
#include "ui/level_view.h"

#include <FL/Fl.H>

#include "checker/check_report.h"
#include "platform/platform_window.h"

namespace {

constexpr int UI_LEVEL_WIDTH = 640;
constexpr int UI_LEVEL_HEIGHT = 400;
constexpr int UI_LEVEL_MARGIN = 8;

// A label draws "@..." as a symbol; "@@" is the character itself.
std::string ShowAsText(const std::string& text) {
  std::string shown;
  for (char c : text) shown += c == '@' ? std::string("@@") : std::string(1, c);
  return shown;
}

}  // namespace

LevelView::LevelView(const std::string& package, const std::string& folder)
    : Fl_Double_Window(UI_LEVEL_WIDTH, UI_LEVEL_HEIGHT), package_path(package), folder_path(folder) {
  copy_label(GetShownName(package).c_str());
  paths_box = new Fl_Box(UI_LEVEL_MARGIN, UI_LEVEL_MARGIN, w() - 2 * UI_LEVEL_MARGIN,
                         h() - 2 * UI_LEVEL_MARGIN);
  paths_box->copy_label(ShowAsText("Package: " + package + "\nVoice folder: " + folder).c_str());
  paths_box->align(FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
  end();
  resizable(paths_box);
  callback(cb_close);
  int screenWidth = 0, screenHeight = 0;
  GetScreenSize(&screenWidth, &screenHeight);
  position((screenWidth - w()) / 2, (screenHeight - h()) / 2);
}

void LevelView::cb_close(Fl_Widget* o, void*) { static_cast<LevelView*>(o)->cb_close_i(); }

void LevelView::cb_close_i() {
  hide();
  Fl::delete_widget(this);
}

LevelView* OpenLevelView(const std::string& package, const std::string& folder) {
  LevelView* view = new LevelView(package, folder);
  view->show();
  return view;
}
