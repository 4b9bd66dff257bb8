// The main window's frame: a plain toolkit window that also takes files dropped onto it
// and the Ctrl+O key, and hands both to its owner.
#pragma once

#include <FL/Fl_Window.H>

class DropTargetWindow : public Fl_Window {
 public:
  using DropCallback = void (*)(Fl_Window* window, const char* text);
  using OpenCallback = void (*)(Fl_Window* window);

  DropTargetWindow(int w, int h, const char* label);

  // Called with the text of a drop (file URIs or paths, one a line), and on Ctrl+O.
  void drop_callback(DropCallback callback) { dropped_ = callback; }
  void open_callback(OpenCallback callback) { opened_ = callback; }

  int handle(int event) override;

 private:
  DropCallback dropped_ = nullptr;
  OpenCallback opened_ = nullptr;
  bool dragging_ = false;  // a drag over the window, not over a field, has not ended
  bool dropping_ = false;  // the paste that follows our own drop's release
};
