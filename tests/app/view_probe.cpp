// Linked into a test build of the window program only: every 50 ms it writes what its
// views show into the file HUSHMAKER_PROBE_DUMP names, one tab-separated line each, so that
// end-to-end tests read the rows back from the widgets of the running program:
//   check  TITLE  COUNTS  DRAWN       (DRAWN: 1 once the window is up and drawn)
//   header COLUMN TEXT X Y W H        (in the view's window)
//   cell   ROW COLUMN TEXT X Y W H
//   level  TITLE  PACKAGE  FOLDER  SUMMARY  writing|idle  DRAWN
//   lheader COLUMN TEXT X Y W H
//   lcell  ROW COLUMN TEXT X Y W H  (X -1: scrolled out of view)
//   problem TEXT                    (the level's problems, as listed)
//   main   STATUS  FEEDBACK         (the main window's fields; line breaks as \n)
#include <FL/Fl.H>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>

#include "app/startup.h"
#include "ui/check_view.h"
#include "ui/level_view.h"
#include "ui/main_window_ui.h"

namespace {

constexpr double PROBE_PERIOD = 0.05;

std::string Line(std::initializer_list<std::string> fields) {
  std::string line;
  for (const std::string& field : fields) line += (line.empty() ? "" : "\t") + field;
  return line + "\n";
}

std::string DescribeCheckView(CheckView* view) {
  const bool drawn = view->shown() && view->visible() && !view->damage();
  std::string text = Line({"check", view->label(), view->counts_box->label(), drawn ? "1" : "0"});
  CheckTable* table = view->table;
  int x = 0, y = 0, w = 0, h = 0;
  for (int column = 0; column < table->cols(); ++column) {
    table->cell_area(-1, column, &x, &y, &w, &h);
    text += Line({"header", std::to_string(column), CheckTable::header_text(column),
                  std::to_string(x), std::to_string(y), std::to_string(w), std::to_string(h)});
  }
  for (int row = 0; row < table->rows(); ++row) {
    for (int column = 0; column < table->cols(); ++column) {
      table->cell_area(row, column, &x, &y, &w, &h);
      text += Line({"cell", std::to_string(row), std::to_string(column), table->cell_text(row, column),
                    std::to_string(x), std::to_string(y), std::to_string(w), std::to_string(h)});
    }
  }
  return text;
}

std::string DescribeLevelView(LevelView* view) {
  const bool drawn = view->shown() && view->visible() && !view->damage();
  std::string text = Line({"level", view->label(), view->package_path, view->folder_path,
                           view->summary_box->label() ? view->summary_box->label() : "",
                           view->writing ? "writing" : "idle", drawn ? "1" : "0"});
  LevelTable* table = view->table;
  int x = 0, y = 0, w = 0, h = 0;
  for (int column = 0; column < table->cols(); ++column) {
    table->cell_area(-1, column, &x, &y, &w, &h);
    text += Line({"lheader", std::to_string(column), LevelTable::header_text(column),
                  std::to_string(x), std::to_string(y), std::to_string(w), std::to_string(h)});
  }
  for (int row = 0; row < table->rows(); ++row) {
    for (int column = 0; column < table->cols(); ++column) {
      const bool shown = table->cell_area(row, column, &x, &y, &w, &h);
      text += Line({"lcell", std::to_string(row), std::to_string(column), table->cell_text(row, column),
                    std::to_string(shown ? x : -1), std::to_string(y), std::to_string(w), std::to_string(h)});
    }
  }
  for (int line = 1; line <= view->problems_browser->size(); ++line) {
    text += Line({"problem", view->problems_browser->text(line)});
  }
  return text;
}

std::string last_dump;

void DumpViews(void*) {
  Fl::repeat_timeout(PROBE_PERIOD, DumpViews);
  const char* path = std::getenv("HUSHMAKER_PROBE_DUMP");
  if (!path) return;
  std::string text;
  if (main_ui) {
    std::string feedback = main_ui->feedback_output->value() ? main_ui->feedback_output->value() : "";
    for (size_t at = 0; (at = feedback.find('\n', at)) != std::string::npos; at += 2) {
      feedback.replace(at, 1, "\\n");
    }
    text += Line({"main", main_ui->status_output->value(), feedback});
  }
  for (Fl_Window* window = Fl::first_window(); window; window = Fl::next_window(window)) {
    if (auto* check = dynamic_cast<CheckView*>(window)) text += DescribeCheckView(check);
    if (auto* level = dynamic_cast<LevelView*>(window)) text += DescribeLevelView(level);
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
