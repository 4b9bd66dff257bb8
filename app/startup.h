// The start-up sequence that runs once the display is open, and its pieces.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class MainWindowUI;

// The one user-interface object, built first thing in main.
extern MainWindowUI* main_ui;

constexpr size_t CURRENT_DIR_SIZE = 260;
constexpr size_t VERSION_TEXT_SIZE = 256;
constexpr int EXIT_STATUS_NORMAL = 18;
constexpr int EXIT_STATUS_NO_DISPLAY = 1;
constexpr int EXIT_STATUS_USAGE = 2;
constexpr int EXIT_STATUS_HELP = 0;

// What the command line asks for: the help, or a window that also opens the paths (the
// files and folders a desktop hands over). An argument that begins with '-' before "--" is
// an option, and any but --help is refused with the reason in problem.
struct WindowArguments {
  bool help = false;
  std::vector<std::string> paths;
  std::string problem;
};
WindowArguments ReadWindowArguments(const std::vector<std::string>& arguments);

// What --help tells.
extern const char* const STARTUP_HELP_TEXT;

// The working directory as the window names it: in the program's own form with one
// trailing backslash. Empty when it cannot be held whole (gone, too long, or a folder
// name with a backslash), so that Generate asks for a directory instead of naming
// another folder.
std::string ReadStartDirectory();

// Makes version_text and current_dir, shows the main window with one banner, opens the
// paths given and runs the event loop until the main window is hidden, which closes the
// views too; then releases both texts. It is their only owner: nothing else allocates or
// frees them.
void RunInteractivePart(const std::vector<std::string>& opened = {});
