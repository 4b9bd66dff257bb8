// Drops and Ctrl+O on the main window. A field one types into keeps taking dropped text
// as it always did; anywhere else the window takes the drop itself.
#include "ui/drop_target_window.h"

#include <FL/Fl.H>
#include <FL/Fl_Input_.H>

namespace {

// The editable text field under the event's place, if any, searched as the toolkit
// searches for the widget to send a drop to.
Fl_Widget* FindTypingFieldAt(Fl_Group* group) {
  for (int i = group->children(); i--;) {
    Fl_Widget* child = group->child(i);
    if (!child->visible() || !Fl::event_inside(child)) continue;
    if (Fl_Group* inner = child->as_group()) {
      if (Fl_Widget* field = FindTypingFieldAt(inner)) return field;
      continue;
    }
    const Fl_Input_* field = dynamic_cast<const Fl_Input_*>(child);
    if (field && !field->readonly()) return child;
  }
  return nullptr;
}

}  // namespace

DropTargetWindow::DropTargetWindow(int w, int h, const char* label) : Fl_Window(w, h, label) {}

int DropTargetWindow::handle(int event) {
  switch (event) {
    case FL_DND_ENTER:
    case FL_DND_DRAG:
      dragging_ = !FindTypingFieldAt(this);
      if (!dragging_) break;
      // Leaving a field sends that field its leave event.
      Fl::belowmouse(this);
      return 1;
    case FL_ENTER:
    case FL_MOVE:
      // The pointer comes in as the drag source lets go, before its drop arrives: the
      // drop is still the window's, not the widget's under the pointer.
      if (!dragging_) break;
      Fl::belowmouse(this);
      return 1;
    case FL_DND_RELEASE:
      dragging_ = false;
      if (Fl::belowmouse() != this) break;
      dropping_ = true;
      return 1;
    case FL_DND_LEAVE:
      dragging_ = false;
      if (Fl::belowmouse() != this) break;
      return 1;
    case FL_PASTE:
      if (!dropping_) break;
      dropping_ = false;
      if (dropped_) dropped_(this, Fl::event_text() ? Fl::event_text() : "");
      return 1;
    case FL_SHORTCUT:
      // A key typed in a view is the view's, even with the mouse over this window: Enter
      // there must not press Exit here.
      if (Fl::focus() && Fl::focus()->top_window() != this) return 0;
      if (Fl::event_key() == 'o' && (Fl::event_state() & (FL_CTRL | FL_ALT | FL_META | FL_SHIFT)) == FL_CTRL) {
        if (opened_) opened_(this);
        return 1;
      }
      break;
    default:
      break;
  }
  return Fl_Window::handle(event);
}
