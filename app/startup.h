// The start-up sequence that runs once the display is open, and its pieces.
#pragma once

#include <cstddef>
#include <string>

class MainWindowUI;

// The one user-interface object, built first thing in main.
extern MainWindowUI* main_ui;

constexpr size_t CURRENT_DIR_SIZE = 260;
constexpr size_t VERSION_TEXT_SIZE = 256;
constexpr int EXIT_STATUS_NORMAL = 18;
constexpr int EXIT_STATUS_NO_DISPLAY = 1;

// The working directory as the window names it: in the program's own form with one
// trailing backslash. Empty when it cannot be held whole (gone, too long, or a folder
// name with a backslash), so that Generate asks for a directory instead of naming
// another folder.
std::string ReadStartDirectory();

// Makes version_text and current_dir, shows the main window with one banner and runs the
// event loop until the window is hidden; then releases both texts. It is their only
// owner: nothing else allocates or frees them.
void RunInteractivePart();
