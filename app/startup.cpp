// The interactive part of a run: version text, working directory, window, event loop.
#include "app/startup.h"

#include <FL/Fl.H>
#include <FL/Fl_Pixmap.H>
#include <FL/Fl_RGB_Image.H>

#include <cstdio>
#include <cstdlib>

#include "encoder/encoder_version.h"
#include "generator/generate_command.h"
#include "platform/platform.h"
#include "resources/icon_xpm.h"
#include "support/message_box.h"
#include "support/path_helpers.h"
#include "ui/main_window_ui.h"

MainWindowUI* main_ui = nullptr;

namespace {

BE_VERSION lame_version;

void SetWindowIcon() {
  static Fl_Pixmap iconPixmap(hushmaker_icon_xpm);
  static Fl_RGB_Image iconImage(&iconPixmap);
  main_ui->main_window->icon(&iconImage);
}

}  // namespace

std::string ReadStartDirectory() {
  char native[CURRENT_DIR_SIZE] = {};
  std::string own;
  if (!GetWorkingDirectory(native, sizeof(native)) ||
      PrepareTargetDirectory(native, &own) != DirectoryProblem::None) {
    return "";
  }
  return own;
}

void RunInteractivePart() {
  beVersion(&lame_version);
  version_text = static_cast<char*>(calloc(VERSION_TEXT_SIZE, 1));
  current_dir = static_cast<char*>(calloc(CURRENT_DIR_SIZE, 1));
  if (!version_text || !current_dir) {
    ShowMessageBox(BOX_ERROR, "startup", __LINE__,
                   "RunInteractivePart(): calloc() failure\n>>> Not enough memory to start.");
  }
  ComposeVersionText(lame_version, version_text, VERSION_TEXT_SIZE);
  snprintf(current_dir, CURRENT_DIR_SIZE, "%s", ReadStartDirectory().c_str());

  SetWindowIcon();
  main_ui->show_window();
  Fl::run();

  free(current_dir);
  current_dir = nullptr;
  free(version_text);
  version_text = nullptr;
}
