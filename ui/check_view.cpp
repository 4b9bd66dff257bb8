// The check view's table and window, over the core's check rows.
#include "ui/check_view.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <utility>

#include "opening/opened_paths.h"
#include "platform/platform_window.h"
#include "ui/table_cells.h"

namespace {

constexpr int UI_CHECK_MARGIN = 8;
constexpr int UI_CHECK_COUNTS_HEIGHT = 24;
constexpr int UI_CHECK_MIN_WIDTH = 480;
constexpr int UI_CHECK_MIN_HEIGHT = 160;
// Room left around the view for the desktop's panels and the main window's title.
constexpr int UI_CHECK_SCREEN_SPARE_WIDTH = 40;
constexpr int UI_CHECK_SCREEN_SPARE_HEIGHT = 100;
constexpr Fl_Color UI_CHECK_NOT_PLAYED = FL_DARK_RED;

const char* const UI_CHECK_HEADERS[UI_CHECK_COLUMNS] = {"File", "Verdict", "Caption", "Detail"};

}  // namespace

CheckTable::CheckTable(int x, int y, int w, int h) : Fl_Table(x, y, w, h) {
  cols(UI_CHECK_COLUMNS);
  col_header(1);
  col_header_height(UI_TABLE_HEADER_HEIGHT);
  col_resize(1);
  row_height_all(UI_TABLE_ROW_HEIGHT);
  color(FL_BACKGROUND2_COLOR);
  end();
}

void CheckTable::set_rows(std::vector<CheckRow> rows) {
  check_rows_ = std::move(rows);
  this->rows(static_cast<int>(check_rows_.size()));
  row_height_all(UI_TABLE_ROW_HEIGHT);
}

const char* CheckTable::header_text(int column) {
  return column >= 0 && column < UI_CHECK_COLUMNS ? UI_CHECK_HEADERS[column] : "";
}

std::string CheckTable::cell_text(int row, int column) const {
  if (row < 0 || row >= static_cast<int>(check_rows_.size())) return "";
  const CheckRow& shown = check_rows_[static_cast<size_t>(row)];
  switch (column) {
    case UI_CHECK_FILE:
      return shown.item.shown;
    case UI_CHECK_VERDICT:
      return shown.words.verdict;
    case UI_CHECK_CAPTION:
      return shown.words.caption;
    case UI_CHECK_DETAIL:
      return shown.words.detail;
    default:
      return "";
  }
}

bool CheckTable::cell_area(int row, int column, int* x, int* y, int* w, int* h) {
  const TableContext context = row < 0 ? CONTEXT_COL_HEADER : CONTEXT_CELL;
  return find_cell(context, row < 0 ? 0 : row, column, *x, *y, *w, *h) == 0;
}

int CheckTable::fit_columns() {
  UseTableFont();
  int total = 0;
  for (int column = 0; column < UI_CHECK_COLUMNS; ++column) {
    double widest = fl_width(header_text(column));
    for (int row = 0; row < rows(); ++row) {
      widest = std::max(widest, fl_width(cell_text(row, column).c_str()));
    }
    const int width = static_cast<int>(widest + 0.999) + 2 * UI_TABLE_PADDING;
    col_width(column, width);
    total += width;
  }
  return total;
}

void CheckTable::draw_cell(TableContext context, int row, int column, int x, int y, int w, int h) {
  if (context != CONTEXT_CELL) {
    return DrawTableFrame(context, header_text(column), col_header_color(), x, y, w, h);
  }
  const bool played = check_rows_[static_cast<size_t>(row)].check.verdict == VoiceVerdict::Plays;
  const Fl_Color colour =
      !played && column == UI_CHECK_VERDICT ? UI_CHECK_NOT_PLAYED : FL_FOREGROUND_COLOR;
  DrawTableCell(cell_text(row, column).c_str(), colour, FL_BACKGROUND2_COLOR, x, y, w, h);
}

CheckView::CheckView(const std::string& title, std::vector<CheckRow> rows, const CheckTally& tally)
    : Fl_Double_Window(UI_CHECK_MIN_WIDTH, UI_CHECK_MIN_HEIGHT) {
  copy_label(("Check: " + title).c_str());
  table = new CheckTable(UI_CHECK_MARGIN, UI_CHECK_MARGIN, w() - 2 * UI_CHECK_MARGIN,
                         h() - 3 * UI_CHECK_MARGIN - UI_CHECK_COUNTS_HEIGHT);
  table->set_rows(std::move(rows));
  counts_box = new Fl_Box(UI_CHECK_MARGIN, h() - UI_CHECK_MARGIN - UI_CHECK_COUNTS_HEIGHT,
                          w() - 2 * UI_CHECK_MARGIN, UI_CHECK_COUNTS_HEIGHT);
  counts_box->copy_label(DescribeCheckTally(tally).c_str());
  counts_box->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
  end();
  resizable(table);
  callback(cb_close);

  // Whole rows and columns where the screen has room; the table scrolls the rest.
  int screenWidth = 0, screenHeight = 0;
  GetScreenSize(&screenWidth, &screenHeight);
  const int tableWidth = table->fit_columns() + Fl::box_dw(table->box()) +
                         Fl::box_dw(table->table_box()) + Fl::scrollbar_size();
  const int tableHeight = UI_TABLE_HEADER_HEIGHT + table->rows() * UI_TABLE_ROW_HEIGHT +
                          Fl::box_dh(table->box()) + Fl::box_dh(table->table_box());
  const int widest = std::max(UI_CHECK_MIN_WIDTH, screenWidth - UI_CHECK_SCREEN_SPARE_WIDTH);
  const int width = std::clamp(tableWidth + 2 * UI_CHECK_MARGIN, UI_CHECK_MIN_WIDTH, widest);
  // Columns wider than the screen take a scroll bar below the rows.
  const int scrollBar = tableWidth + 2 * UI_CHECK_MARGIN > widest ? Fl::scrollbar_size() : 0;
  const int height = std::clamp(tableHeight + scrollBar + 3 * UI_CHECK_MARGIN + UI_CHECK_COUNTS_HEIGHT,
                                UI_CHECK_MIN_HEIGHT,
                                std::max(UI_CHECK_MIN_HEIGHT, screenHeight - UI_CHECK_SCREEN_SPARE_HEIGHT));
  resize((screenWidth - width) / 2, (screenHeight - height) / 2, width, height);
  size_range(UI_CHECK_MIN_WIDTH, UI_CHECK_MIN_HEIGHT);
}

void CheckView::cb_close(Fl_Widget* o, void*) { static_cast<CheckView*>(o)->cb_close_i(); }

void CheckView::cb_close_i() {
  hide();
  Fl::delete_widget(this);
}

CheckView* OpenCheckView(const std::vector<std::string>& paths) {
  const CheckPlan plan = PlanVoiceCheck(paths);
  std::vector<CheckRow> rows;
  CheckTally tally;
  for (const CheckItem& item : plan.items) {
    rows.push_back(CheckPlannedItem(item));
    tally.Count(rows.back());
    Fl::check();
  }
  CheckView* view = new CheckView(ComposeOpenedTitle(paths), std::move(rows), tally);
  view->show();
  return view;
}
