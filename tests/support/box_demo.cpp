// Test-only program for the box check under X: a real warning box over a main window, and
// a line on stdout once the box is closed.
#include <FL/Fl_Window.H>

#include <cstdio>

#include "platform/platform_window.h"
#include "support/message_box.h"

int main() {
  SetBoxPresenter(PresentWindowBox);
  Fl_Window window(300, 200, "Box demo main");
  window.show();
  ShowMessageBox(BOX_WARNING, "D:\\tests\\box_demo.cpp", 17,
                 "CreateBlankMP3(): fopen() failure\n>>> Unable to create the file: 100%% @home");
  puts("warning closed");
}
