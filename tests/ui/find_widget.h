// What the window tests share: finding a widget by its label anywhere in a group, and
// answering a file chooser the way a person would.
#pragma once

#include <FL/Fl.H>
#include <FL/Fl_File_Chooser.H>
#include <FL/Fl_Group.H>
#include <FL/fl_ask.H>

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

// The chooser window to wait for, what to pick there ("" cancels), and what it showed.
struct ChooserAnswer { std::string title, pick, filter{}, folder{}; };

// A timeout's callback: once the chooser titled answer->title shows, reads it and answers.
inline void AnswerChooser(void* data) {
  auto* answer = static_cast<ChooserAnswer*>(data);
  for (Fl_Window* w = Fl::first_window(); w; w = Fl::next_window(w)) {
    if (!w->label() || answer->title != w->label()) continue;
    // The chooser's window carries the chooser as its callback's data.
    auto* chooser = static_cast<Fl_File_Chooser*>(w->user_data());
    answer->filter = chooser->filter() ? chooser->filter() : "";
    answer->folder = chooser->directory() ? chooser->directory() : "";
    if (!answer->pick.empty()) chooser->value(answer->pick.c_str());
    FindByLabel(w, answer->pick.empty() ? fl_cancel : fl_ok)->do_callback();
    return;
  }
  Fl::repeat_timeout(0.05, AnswerChooser, data);
}
