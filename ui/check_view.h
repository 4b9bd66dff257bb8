// The check view: a window of its own with one row per voice file and what the game does
// with it, as hushmaker-cli --check tells it, and the counts.
#pragma once

#include <FL/Fl_Box.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Table.H>

#include <string>
#include <vector>

#include "checker/check_report.h"

enum CheckColumn { UI_CHECK_FILE, UI_CHECK_VERDICT, UI_CHECK_CAPTION, UI_CHECK_DETAIL };
constexpr int UI_CHECK_COLUMNS = 4;

// Draws the rows it holds, each cell's text from the row's words.
class CheckTable : public Fl_Table {
 public:
  CheckTable(int x, int y, int w, int h);

  void set_rows(std::vector<CheckRow> rows);
  const std::vector<CheckRow>& check_rows() const { return check_rows_; }

  // The text a cell shows, and a column's heading.
  std::string cell_text(int row, int column) const;
  static const char* header_text(int column);

  // Where a cell (row -1: the column's heading) is drawn in the window; false when it is
  // scrolled out of view.
  bool cell_area(int row, int column, int* x, int* y, int* w, int* h);

  // Makes each column as wide as its widest text; returns the sum (the display must be
  // open to measure).
  int fit_columns();

 protected:
  void draw_cell(TableContext context, int row, int column, int x, int y, int w, int h) override;

 private:
  std::vector<CheckRow> check_rows_;
};

class CheckView : public Fl_Double_Window {
 public:
  // A hidden, resizable window titled "Check: " and title, sized to show its rows whole
  // where the screen allows.
  CheckView(const std::string& title, std::vector<CheckRow> rows, const CheckTally& tally);

  CheckTable* table;
  Fl_Box* counts_box;

 private:
  // Closing the window ends the view.
  static void cb_close(Fl_Widget*, void*);
  void cb_close_i();
};

// Checks the files that the paths name, letting the other windows redraw between files,
// and shows the view; it lives until its window is closed.
CheckView* OpenCheckView(const std::vector<std::string>& paths);
