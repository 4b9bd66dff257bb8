// Test-only program for the box check under X: a main window with a button, a real
// warning box over it at start, and an error box when the button is pressed.
#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Window.H>

#include <cstdio>

#include "support/io_tools.h"

namespace {

void cb_raise_error(Fl_Widget*, void*) {
  puts("button pressed");
  fflush(stdout);
  ShowMessageBox(BOX_ERROR, "D:\\tests\\box_demo.cpp", 23, "Pressed after the warning");
}

}  // namespace

int main() {
  Fl_Window window(20, 20, 300, 200, "Box demo main");
  Fl_Button button(50, 50, 200, 100, "Raise error");
  button.callback(cb_raise_error);
  window.end();
  window.show();
  while (!window.visible()) Fl::wait();
  Fl::flush();

  ShowMessageBox(BOX_WARNING, "D:\\tests\\box_demo.cpp", 17,
                 "CreateBlankMP3(): fopen() failure\n>>> Unable to create the file: 100%% @home");
  puts("warning closed");
  fflush(stdout);
  return Fl::run();
}
