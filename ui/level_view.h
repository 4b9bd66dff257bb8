// The level view: a string package's lines over the voice folder they are written into.
// For now only its window, titled with the package's file name, and the paths it was
// opened with; its rows come with the core's level model.
#pragma once

#include <FL/Fl_Box.H>
#include <FL/Fl_Double_Window.H>

#include <string>

class LevelView : public Fl_Double_Window {
 public:
  // A hidden, resizable window over a package and a folder (native paths).
  LevelView(const std::string& package, const std::string& folder);

  const std::string package_path;
  const std::string folder_path;
  Fl_Box* paths_box;

 private:
  // Closing the window ends the view.
  static void cb_close(Fl_Widget*, void*);
  void cb_close_i();
};

// Shows the level view of a package over a voice folder; it lives until its window is
// closed.
LevelView* OpenLevelView(const std::string& package, const std::string& folder);
