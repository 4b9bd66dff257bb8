// What the main window opens: paths named on the command line, dropped on the window or
// chosen with Ctrl+O, each in the view that shows it.
#include <FL/Fl_Native_File_Chooser.H>

#include <string>
#include <vector>

#include "opening/opened_paths.h"
#include "platform/platform.h"
#include "ui/check_view.h"
#include "ui/level_view.h"
#include "ui/main_window_ui.h"

namespace {

const char* const UI_NOT_OPENED_CAPTION = "Not opened";
const char* const UI_NOT_OPENED_HEADING =
    "Hushmaker opens string packages (.sp, .str), voice files (.mp3, .wav) and folders of\n"
    "voice files. Not opened:\n";
const char* const UI_OPEN_TITLE = "Open a String Package";
const char* const UI_OPEN_FILTER = "String packages\t*.{sp,str}\nAll files\t*";

}  // namespace

// As Generate picks it: the chooser's selection, else the folder taken at an earlier
// Generate, else the start folder.
std::string MainWindowUI::output_folder() const {
  const char* chosen = dir_chosen && dir_chooser ? dir_chooser->value(1) : nullptr;
  if (chosen && chosen[0]) return chosen;
  if (target_dir && target_dir[0]) return NativePath(target_dir);
  return current_dir ? NativePath(current_dir) : "";
}

void MainWindowUI::open_paths(const std::vector<std::string>& paths) {
  const OpenPlan plan = PlanOpening(paths);
  for (const LevelOpening& level : plan.levels) {
    OpenLevelView(level.package, level.folder.empty() ? output_folder() : level.folder,
                  status_output, feedback_output, generate_button);
  }
  if (!plan.checked.empty()) OpenCheckView(plan.checked);
  if (plan.refused.empty()) return;
  std::string text = UI_NOT_OPENED_HEADING;
  for (const OpenedPath& refused : plan.refused) text += "\n" + refused.path + ": " + refused.reason;
  PresentBox(UI_NOT_OPENED_CAPTION, text.c_str(), BoxIcon::Warning);
}

void MainWindowUI::cb_dropped_i(const char* text) {
  dropped_texts.push_back(text);
  Fl::add_timeout(0.0, cb_open_dropped, this);
}

void MainWindowUI::cb_open_dropped(void* data) {
  auto* ui = static_cast<MainWindowUI*>(data);
  while (!ui->dropped_texts.empty()) {
    const std::string text = ui->dropped_texts.front();
    ui->dropped_texts.erase(ui->dropped_texts.begin());
    ui->open_paths(ReadDroppedPaths(text));
  }
}

void MainWindowUI::cb_open_package_i() {
  Fl_Native_File_Chooser chooser(Fl_Native_File_Chooser::BROWSE_FILE);
  chooser.title(UI_OPEN_TITLE);
  chooser.filter(UI_OPEN_FILTER);
  const std::string folder = output_folder();
  if (!folder.empty()) chooser.directory(folder.c_str());
  // 1 is Cancel, -1 a failure the chooser has no more to say about.
  if (chooser.show() != 0 || !chooser.filename() || !chooser.filename()[0]) return;
  open_paths({chooser.filename()});
}
