// Linked into a test build of the window program only: every 50 ms it writes what its
// views show into the file HUSHMAKER_PROBE_DUMP names, one tab-separated line each, so that
// end-to-end tests read the rows back from the widgets of the running program:
//   check  TITLE  COUNTS  DRAWN              (DRAWN: 1 once the window is up and drawn)
//   level  TITLE  PACKAGE  FOLDER  SUMMARY  DRAWN
//   header COLUMN TEXT X Y W H               (the table of the view above, in its window)
//   cell   ROW COLUMN TEXT X Y W H           (X -1: scrolled out of view)
#include <FL/Fl.H>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>

#include "ui/check_view.h"
#include "ui/level_view.h"

namespace {

constexpr double PROBE_PERIOD = 0.05;

std::string Line(std::initializer_list<std::string> fields) {
  std::string line;
  for (const std::string& field : fields) line += (line.empty() ? "" : "\t") + field;
  return line + "\n";
}

std::string Drawn(Fl_Window* view) { return view->shown() && view->visible() && !view->damage() ? "1" : "0"; }

// The header (row -1) and the cells, with their places.
template <typename Table>
std::string DescribeTable(Table* table) {
  std::string text;
  int x = 0, y = 0, w = 0, h = 0;
  for (int row = -1; row < table->rows(); ++row) {
    for (int column = 0; column < table->cols(); ++column) {
      const bool shown = table->cell_area(row, column, &x, &y, &w, &h);
      const std::string place = std::to_string(shown ? x : -1) + "\t" + std::to_string(y) + "\t" +
                                std::to_string(w) + "\t" + std::to_string(h);
      text += row < 0 ? Line({"header", std::to_string(column), Table::header_text(column), place})
                      : Line({"cell", std::to_string(row), std::to_string(column),
                              table->cell_text(row, column), place});
    }
  }
  return text;
}

std::string last_dump;

void DumpViews(void*) {
  Fl::repeat_timeout(PROBE_PERIOD, DumpViews);
  const char* path = std::getenv("HUSHMAKER_PROBE_DUMP");
  if (!path) return;
  std::string text;
  for (Fl_Window* window = Fl::first_window(); window; window = Fl::next_window(window)) {
    if (auto* check = dynamic_cast<CheckView*>(window)) {
      text += Line({"check", check->label(), check->counts_box->label(), Drawn(check)}) +
              DescribeTable(check->table);
    }
    if (auto* level = dynamic_cast<LevelView*>(window)) {
      const char* summary = level->summary_box->label();
      text += Line({"level", level->label(), level->package_path, level->folder_path,
                    summary ? summary : "", Drawn(level)}) +
              DescribeTable(level->table);
    }
  }
  if (text == last_dump) return;
  // Whole or not at all: written beside and renamed over the last one.
  const std::string written = std::string(path) + ".new";
  std::FILE* file = std::fopen(written.c_str(), "wb");
  if (!file) return;
  const bool complete = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  if (std::fclose(file) != 0 || !complete) return;
  std::remove(path);
  if (std::rename(written.c_str(), path) == 0) last_dump = text;
}

const bool PROBE_ARMED = (Fl::add_timeout(PROBE_PERIOD, DumpViews), true);

}  // namespace
