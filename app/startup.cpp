// The interactive part of a run: version text, working directory, window, event loop.
#include "app/startup.h"

#include <FL/Fl.H>
#include <FL/Fl_Pixmap.H>
#include <FL/Fl_RGB_Image.H>

#include <cstring>

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
  static Fl_Pixmap icon_pixmap(hushmaker_icon_xpm);
  static Fl_RGB_Image icon_image(&icon_pixmap);
  main_ui->main_window->icon(&icon_image);
}

}  // namespace

char* ReadStartDirectory() {
  char native[CURRENT_DIR_SIZE] = {};
  const bool known = GetWorkingDirectory(native, sizeof(native));
  char* directory = known && CanHoldTargetDirectory(native) ? NormalizeDirectory(native, true)
                                                            : NormalizeDirectory("", false);
  if (directory == nullptr) {
    ShowMessageBox(BOX_ERROR, "startup", __LINE__, "%s", NORMALIZE_DIRECTORY_NO_MEMORY);
  }
  return directory;
}

void RunInteractivePart() {
  beVersion(&lame_version);
  memset(version_text, 0, VERSION_TEXT_SIZE);
  ComposeVersionText(lame_version, version_text, VERSION_TEXT_SIZE);

  FreeMemory(current_dir);
  current_dir = ReadStartDirectory();

  SetWindowIcon();
  main_ui->show_window();
  Fl::run();

  FreeMemory(current_dir);
  current_dir = nullptr;
  FreeMemory(version_text);
  version_text = nullptr;
}
