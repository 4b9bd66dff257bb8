// The level view: a string package's lines over the voice folder they are written into,
// as the core's level model has them, the reading time's settings, the package's problems,
// and Write, which writes every line's silent file through the writer.
#pragma once

#include <FL/Fl_Box.H>
#include <FL/Fl_Browser.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Int_Input.H>
#include <FL/Fl_Output.H>
#include <FL/Fl_Progress.H>
#include <FL/Fl_Spinner.H>
#include <FL/Fl_Table_Row.H>

#include <string>
#include <vector>

#include "strings/level.h"

enum LevelColumn { UI_LEVEL_REFERENCE, UI_LEVEL_TEXT, UI_LEVEL_SECONDS, UI_LEVEL_FOLDER, UI_LEVEL_WRITTEN };
constexpr int UI_LEVEL_COLUMNS = 5;

// Draws the level's lines, one a row; a row is selected to type its seconds.
class LevelTable : public Fl_Table_Row {
 public:
  LevelTable(int x, int y, int w, int h);

  // The level shown (owned by the view) and what writing did to each line.
  const Level* level = nullptr;
  std::vector<std::string> written;

  // The text a cell shows, cut to its column's width with "..." where it is longer; a
  // column's heading.
  std::string cell_text(int row, int column) const;
  static const char* header_text(int column);

  // Where a cell (row -1: the column's heading) is drawn in the window; false when it is
  // scrolled out of view.
  bool cell_area(int row, int column, int* x, int* y, int* w, int* h);

  // The whole text of a cell, before it is cut.
  std::string full_text(int row, int column) const;

  // Takes the level's line count and sizes the columns to the table's width: the
  // reference, seconds and what writing did to their texts, the text and the folder's
  // state to shares of the rest.
  void fit_columns();

  void resize(int x, int y, int w, int h) override;

 protected:
  void draw_cell(TableContext context, int row, int column, int x, int y, int w, int h) override;

 private:
  int measure_column(int column) const;
};

class LevelView : public Fl_Double_Window {
 public:
  // A hidden, resizable window titled with the package's file name over the folder
  // (native); the main window's status and feedback fields, when given, tell what Write
  // does, and its Generate button, when given, is inactive while a level writes. A package
  // that cannot be read, holds no line or that the game refuses shows why and cannot be
  // written.
  LevelView(const std::string& package, const std::string& folder, Fl_Output* status,
            Fl_Output* feedback, Fl_Widget* generate = nullptr);

  const std::string package_path;
  std::string folder_path;  // native, as the level writes into it
  Level level;
  bool writable = false;  // a package and a folder to write into
  bool writing = false;
  bool stop_asked = false;

  Fl_Output* folder_output;
  Fl_Button* folder_button;
  Fl_Choice* language_choice;
  Fl_Spinner* cps_spinner;
  Fl_Spinner* min_seconds_spinner;
  LevelTable* table;
  Fl_Int_Input* seconds_input;
  Fl_Browser* problems_browser;
  Fl_Button* write_button;
  Fl_Button* stop_button;
  Fl_Progress* progress;
  Fl_Box* summary_box;

  // What the view does, run by its widgets' callbacks.
  void cb_folder_i();
  void cb_timing_i();
  void cb_language_i();
  void cb_row_i();
  void cb_seconds_i();
  void cb_write_i();
  void cb_stop_i();
  void cb_close_i();

 private:
  // Each finds the view as its widget's window.
  static void cb_folder(Fl_Widget*, void*);
  static void cb_timing(Fl_Widget*, void*);
  static void cb_language(Fl_Widget*, void*);
  static void cb_row(Fl_Widget*, void*);
  static void cb_seconds(Fl_Widget*, void*);
  static void cb_write(Fl_Widget*, void*);
  static void cb_stop(Fl_Widget*, void*);
  static void cb_close(Fl_Widget*, void*);

  // Reads the package in its own language or the one given, keeping typed lengths.
  void load_package(bool languageGiven, PackageLanguage language);
  void show_languages(const StringPackage& package);
  // Moves the level to a folder (native); false when it cannot be named whole.
  bool place_in(const std::string& folder);
  void show_level();
  void tell_main(const char* status, const std::string& feedback);
  LevelTiming timing() const;

  std::string package_bytes;
  std::string summary;
  Fl_Output* main_status;
  Fl_Output* main_feedback;
  Fl_Widget* main_generate;
};

// Shows the level view of a package over a voice folder (native paths), with the main
// window's widgets as the view takes them; it lives until its window is closed.
LevelView* OpenLevelView(const std::string& package, const std::string& folder,
                         Fl_Output* status = nullptr, Fl_Output* feedback = nullptr,
                         Fl_Widget* generate = nullptr);
