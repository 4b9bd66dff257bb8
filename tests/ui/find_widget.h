// What the window tests share: finding a widget by its label anywhere in a group.
#pragma once

#include <FL/Fl_Group.H>

#include <string>

inline Fl_Widget* FindByLabel(Fl_Group* group, const char* label) {
  for (int i = 0; i < group->children(); ++i) {
    Fl_Widget* child = group->child(i);
    if (child->label() && std::string(child->label()) == label) return child;
    if (Fl_Widget* inner = child->as_group() ? FindByLabel(child->as_group(), label) : nullptr)
      return inner;
  }
  return nullptr;
}
