// Process entry: reads the command line, builds the process-wide objects, opens the
// display, runs the window and ends with status 18 (normal end) or 1 (no display); --help
// ends with 0 and a bad option with 2, before any window.
#include <cstdio>
#include <cstdlib>

#include "app/startup.h"
#include "platform/platform_window.h"
#include "ui/main_window_ui.h"

int main(int argc, char** argv) {
  const WindowArguments arguments = ReadWindowArguments(ReadProgramArguments(argc, argv));
  if (arguments.help) {
    fputs(STARTUP_HELP_TEXT, stdout);
    return EXIT_STATUS_HELP;
  }
  if (!arguments.problem.empty()) {
    fprintf(stderr, "hushmaker: %s\nTry 'hushmaker --help' for more information.\n",
            arguments.problem.c_str());
    return EXIT_STATUS_USAGE;
  }
  SetBoxPresenter(PresentWindowBox);
  IgnoreFileSizeSignal();
  main_ui = new MainWindowUI;

  if (!OpenDisplay()) {
    const char* name = getenv("DISPLAY");
    fprintf(stderr, "hushmaker: cannot open the X display \"%s\"; start it from a graphical session\n",
            name ? name : "");
    return EXIT_STATUS_NO_DISPLAY;
  }

  RunInteractivePart(arguments.paths);

  delete main_ui;
  main_ui = nullptr;
  return EXIT_STATUS_NORMAL;
}
