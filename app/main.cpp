// Process entry: builds the process-wide objects, opens the display, runs the window and
// ends with status 18 (normal end) or 1 (no display).
#include <cstdio>
#include <cstdlib>

#include "app/startup.h"
#include "platform/platform_window.h"
#include "ui/main_window_ui.h"

int main() {
  SetBoxPresenter(PresentWindowBox);
  IgnoreFileSizeSignal();
  main_ui = new MainWindowUI;

  if (!OpenDisplay()) {
    const char* name = getenv("DISPLAY");
    fprintf(stderr, "hushmaker: cannot open the X display \"%s\"; start it from a graphical session\n",
            name ? name : "");
    return EXIT_STATUS_NO_DISPLAY;
  }

  RunInteractivePart();

  delete main_ui;
  main_ui = nullptr;
  return EXIT_STATUS_NORMAL;
}
