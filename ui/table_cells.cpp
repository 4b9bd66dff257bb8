// The drawing the check and level views' tables share.
#include "ui/table_cells.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>

namespace {

constexpr Fl_Color UI_TABLE_GRID = FL_LIGHT2;

void DrawText(const char* text, int x, int y, int w, int h) {
  fl_draw(text, x + UI_TABLE_PADDING, y, w - 2 * UI_TABLE_PADDING, h, FL_ALIGN_LEFT, nullptr, 0);
}

}  // namespace

void UseTableFont() { fl_font(FL_HELVETICA, UI_TABLE_TEXT_SIZE); }

void DrawTableFrame(Fl_Table::TableContext context, const char* heading, Fl_Color headingColour,
                    int x, int y, int w, int h) {
  if (context == Fl_Table::CONTEXT_STARTPAGE) UseTableFont();
  if (context != Fl_Table::CONTEXT_COL_HEADER) return;
  fl_push_clip(x, y, w, h);
  fl_draw_box(FL_THIN_UP_BOX, x, y, w, h, headingColour);
  fl_color(FL_FOREGROUND_COLOR);
  DrawText(heading, x, y, w, h);
  fl_pop_clip();
}

void DrawTableCell(const char* text, Fl_Color colour, Fl_Color background, int x, int y, int w,
                   int h) {
  fl_push_clip(x, y, w, h);
  fl_color(background);
  fl_rectf(x, y, w, h);
  fl_color(colour);
  UseTableFont();
  DrawText(text, x, y, w, h);
  fl_color(UI_TABLE_GRID);
  fl_rect(x, y, w, h);
  fl_pop_clip();
}
