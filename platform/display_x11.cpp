// The X display and the screen, through the toolkit.
#include <FL/Fl.H>
#include <FL/x.H>

#include "platform/platform_window.h"

bool OpenDisplay() {
  if (fl_display) return true;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  fl_open_display(display);
  return true;
}

void GetScreenSize(int* width, int* height) {
  int x = 0, y = 0;
  Fl::screen_xywh(x, y, *width, *height, 0);
}
