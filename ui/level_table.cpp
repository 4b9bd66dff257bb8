// The level view's table: the level's lines drawn from the model, one a row.
#include "ui/level_view.h"

#include <algorithm>

#include "ui/table_cells.h"

// Last: it brings X11's None macro, which would rename the model's None values.
#include <FL/fl_draw.H>

namespace {

constexpr int UI_LEVEL_WIDEST_NAME = 220;     // a reference's or what writing did
constexpr int UI_LEVEL_LEAST_WRITTEN = 160;   // room for what writing will tell
constexpr int UI_LEVEL_LEAST_SHARED = 120;    // the text's and the folder's
constexpr int UI_LEVEL_TEXT_SHARE = 40;       // percent of what they share, for the text
constexpr Fl_Color UI_LEVEL_NO_FILE = FL_DARK3;

const char* const UI_LEVEL_HEADERS[UI_LEVEL_COLUMNS] = {"Reference", "Text", "Seconds",
                                                        "In the folder", "Write"};
const char* const UI_LEVEL_CUT = "...";

// The longest start of text (whole UTF-8 characters) that fits width with "..." after it.
std::string FitText(const std::string& text, int width) {
  if (fl_width(text.c_str()) <= width) return text;
  size_t end = text.size();
  while (end > 0) {
    do {
      --end;
    } while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80);
    const std::string cut = text.substr(0, end) + UI_LEVEL_CUT;
    if (fl_width(cut.c_str()) <= width) return cut;
  }
  return UI_LEVEL_CUT;
}

}  // namespace

LevelTable::LevelTable(int x, int y, int w, int h) : Fl_Table_Row(x, y, w, h) {
  cols(UI_LEVEL_COLUMNS);
  col_header(1);
  col_header_height(UI_TABLE_HEADER_HEIGHT);
  col_resize(1);
  type(SELECT_SINGLE);
  color(FL_BACKGROUND2_COLOR);
  end();
}

const char* LevelTable::header_text(int column) {
  return column >= 0 && column < UI_LEVEL_COLUMNS ? UI_LEVEL_HEADERS[column] : "";
}

std::string LevelTable::full_text(int row, int column) const {
  if (!level || row < 0 || row >= static_cast<int>(level->lines.size())) return "";
  const LevelLine& line = level->lines[static_cast<size_t>(row)];
  switch (column) {
    case UI_LEVEL_REFERENCE:
      return line.voice.reference;
    case UI_LEVEL_TEXT:
      return ShowReadText(line.voice.text);
    case UI_LEVEL_SECONDS:
      if (!line.noFile.empty()) return "";
      return std::to_string(line.seconds) + (line.secondsTyped ? " typed" : "");
    case UI_LEVEL_FOLDER: {
      if (!line.noFile.empty()) return "no file: " + line.noFile;
      std::string said = DescribeLevelFile(line.files.front());
      if (line.files.size() > 1) said += "; female: " + DescribeLevelFile(line.files[1]);
      return said;
    }
    case UI_LEVEL_WRITTEN:
      return static_cast<size_t>(row) < written.size() ? written[static_cast<size_t>(row)] : "";
    default:
      return "";
  }
}

std::string LevelTable::cell_text(int row, int column) const {
  UseTableFont();
  // The toolkit's width reader is not const, though it changes nothing.
  const int width = const_cast<LevelTable*>(this)->col_width(column) - 2 * UI_TABLE_PADDING;
  return FitText(full_text(row, column), width);
}

bool LevelTable::cell_area(int row, int column, int* x, int* y, int* w, int* h) {
  const TableContext context = row < 0 ? CONTEXT_COL_HEADER : CONTEXT_CELL;
  return find_cell(context, row < 0 ? 0 : row, column, *x, *y, *w, *h) == 0;
}

int LevelTable::measure_column(int column) const {
  UseTableFont();
  double widest = fl_width(header_text(column));
  const int lines = level ? static_cast<int>(level->lines.size()) : 0;
  for (int row = 0; row < lines; ++row) {
    widest = std::max(widest, fl_width(full_text(row, column).c_str()));
  }
  return static_cast<int>(widest + 0.999) + 2 * UI_TABLE_PADDING;
}

void LevelTable::fit_columns() {
  rows(level ? static_cast<int>(level->lines.size()) : 0);
  row_height_all(UI_TABLE_ROW_HEIGHT);
  // Reference, seconds and what writing did as wide as they need, within bounds; the text
  // and what the folder holds share the rest, cut to it.
  const int reference = std::min(UI_LEVEL_WIDEST_NAME, measure_column(UI_LEVEL_REFERENCE));
  const int seconds = measure_column(UI_LEVEL_SECONDS);
  const int written =
      std::clamp(measure_column(UI_LEVEL_WRITTEN), UI_LEVEL_LEAST_WRITTEN, UI_LEVEL_WIDEST_NAME);
  const int inner = w() - Fl::box_dw(box()) - Fl::scrollbar_size();
  const int rest = std::max(2 * UI_LEVEL_LEAST_SHARED, inner - reference - seconds - written);
  const int text = std::max(UI_LEVEL_LEAST_SHARED, rest * UI_LEVEL_TEXT_SHARE / 100);
  col_width(UI_LEVEL_REFERENCE, reference);
  col_width(UI_LEVEL_TEXT, text);
  col_width(UI_LEVEL_SECONDS, seconds);
  col_width(UI_LEVEL_FOLDER, std::max(UI_LEVEL_LEAST_SHARED, rest - text));
  col_width(UI_LEVEL_WRITTEN, written);
}

void LevelTable::resize(int x, int y, int w, int h) {
  Fl_Table_Row::resize(x, y, w, h);
  fit_columns();
}

void LevelTable::draw_cell(TableContext context, int row, int column, int x, int y, int w, int h) {
  if (context != CONTEXT_CELL) {
    return DrawTableFrame(context, header_text(column), col_header_color(), x, y, w, h);
  }
  const bool selected = row_selected(row);
  const bool noFile = !level->lines[static_cast<size_t>(row)].noFile.empty();
  const Fl_Color colour = selected ? fl_contrast(FL_FOREGROUND_COLOR, selection_color())
                                   : noFile ? UI_LEVEL_NO_FILE : FL_FOREGROUND_COLOR;
  DrawTableCell(cell_text(row, column).c_str(), colour,
                selected ? selection_color() : FL_BACKGROUND2_COLOR, x, y, w, h);
}
