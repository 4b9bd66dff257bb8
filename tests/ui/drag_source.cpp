// Test program: a small window that drags the text given on its command line onto another
// program's window, as a file manager drags files, when the mouse is pressed on it and
// moved. While the drag lasts it writes into a file the id of the top window under the
// pointer, so that a test knows when to let go. Its window is titled "drag source PID".
// A list of file URIs is handed out as text/uri-list too, as a file manager hands it out.
// Usage: drag_source TEXT POINTER_FILE
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

std::string dragged_text;
std::string pointer_file;

// Read by the drag's own loop between its steps, so the window written is the one it drops
// on once the button is let go.
void WritePointerWindow(void*) {
  Window root = 0, child = 0;
  int rootX = 0, rootY = 0, x = 0, y = 0;
  unsigned int buttons = 0;
  XQueryPointer(fl_display, RootWindow(fl_display, fl_screen), &root, &child, &rootX, &rootY, &x,
                &y, &buttons);
  const std::string written = pointer_file + ".new";
  if (std::FILE* file = std::fopen(written.c_str(), "w")) {
    std::fprintf(file, "%lu\n", static_cast<unsigned long>(child));
    std::fclose(file);
    std::rename(written.c_str(), pointer_file.c_str());
  }
  Fl::repeat_timeout(0.02, WritePointerWindow);
}

// The toolkit offers a list of URIs as text/uri-list but answers only the requests for its
// text types. A target that wants the list itself gets nothing (Wine's, which makes the
// Windows file drop of it, gets no file), so that request is answered here.
int AnswerUriListRequest(void* event, void*) {
  const XEvent* xevent = static_cast<const XEvent*>(event);
  if (xevent->type != SelectionRequest) return 0;
  const XSelectionRequestEvent& request = xevent->xselectionrequest;
  const Atom uriList = XInternAtom(fl_display, "text/uri-list", False);
  if (request.selection != XInternAtom(fl_display, "XdndSelection", False) || request.target != uriList) {
    return 0;
  }
  XChangeProperty(fl_display, request.requestor, request.property, uriList, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(dragged_text.data()),
                  static_cast<int>(dragged_text.size()));
  XSelectionEvent reply = {};
  reply.type = SelectionNotify;
  reply.requestor = request.requestor;
  reply.selection = request.selection;
  reply.target = request.target;
  reply.property = request.property;
  reply.time = request.time;
  XSendEvent(fl_display, request.requestor, False, 0, reinterpret_cast<XEvent*>(&reply));
  return 1;
}

class DragBox : public Fl_Box {
 public:
  DragBox(int x, int y, int w, int h) : Fl_Box(x, y, w, h, "drag me") {}
  int handle(int event) override {
    if (event == FL_PUSH) return 1;
    if (event != FL_DRAG) return Fl_Box::handle(event);
    Fl::copy(dragged_text.c_str(), static_cast<int>(dragged_text.size()), 0);
    Fl::add_timeout(0.02, WritePointerWindow);
    Fl::dnd();
    Fl::remove_timeout(WritePointerWindow);
    return 1;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: drag_source TEXT POINTER_FILE\n");
    return 2;
  }
  dragged_text = argv[1];
  pointer_file = argv[2];
  const std::string title = "drag source " + std::to_string(getpid());
  Fl_Window window(0, 0, 120, 120, title.c_str());
  DragBox box(0, 0, 120, 120);
  window.end();
  window.show();
  Fl::add_system_handler(AnswerUriListRequest, nullptr);
  return Fl::run();
}
