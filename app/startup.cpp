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
#include "ui/check_view.h"
#include "ui/level_view.h"
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

const char* const STARTUP_HELP_TEXT =
    "Usage: hushmaker [PATH...]\n"
    "       hushmaker --help\n"
    "\n"
    "Opens Hushmaker's window, which writes MP3 files of pure silence to use as game voice\n"
    "files. Each PATH opens in a window of its own beside it:\n"
    "  a level's string package (.sp, .str)   the level view: its lines and their voice\n"
    "                                         files, in the output folder or, when one\n"
    "                                         folder is given with it, in that folder\n"
    "  voice files (.mp3, .wav) and folders   the check view: what the game does with\n"
    "                                         each voice file\n"
    "In the window, Ctrl+O chooses a string package to open, and string packages, voice\n"
    "files and folders dropped onto the window open the same way.\n"
    "\n"
    "For the same files from a terminal or a script, see hushmaker-cli --help.\n";

WindowArguments ReadWindowArguments(const std::vector<std::string>& arguments) {
  WindowArguments read;
  bool options = true;
  for (const std::string& argument : arguments) {
    if (options && argument == "--") {
      options = false;
    } else if (options && argument == "--help") {
      read.help = true;
    } else if (options && !argument.empty() && argument[0] == '-') {
      if (read.problem.empty()) read.problem = "unknown option " + argument;
    } else {
      read.paths.push_back(argument);
    }
  }
  return read;
}

std::string ReadStartDirectory() {
  char native[CURRENT_DIR_SIZE] = {};
  std::string own;
  if (!GetWorkingDirectory(native, sizeof(native)) ||
      PrepareTargetDirectory(native, &own) != DirectoryProblem::None) {
    return "";
  }
  return own;
}

void RunInteractivePart(const std::vector<std::string>& opened) {
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
  if (!opened.empty()) main_ui->open_paths(opened);
  // The views end with the program.
  while (main_ui->main_window->shown()) Fl::wait();
  while (Fl_Window* window = Fl::first_window()) {
    if (dynamic_cast<CheckView*>(window) || dynamic_cast<LevelView*>(window)) {
      delete window;
    } else {
      window->hide();
    }
  }

  free(current_dir);
  current_dir = nullptr;
  free(version_text);
  version_text = nullptr;
}
