// How the views' tables look: one font, row and heading heights, and the drawing of a
// heading and of a cell's text on its background inside the grid.
#pragma once

#include <FL/Enumerations.H>
#include <FL/Fl_Table.H>

constexpr int UI_TABLE_TEXT_SIZE = 14;
constexpr int UI_TABLE_ROW_HEIGHT = 22;
constexpr int UI_TABLE_HEADER_HEIGHT = 24;
constexpr int UI_TABLE_PADDING = 6;  // between a cell's edge and its text, each side

// Sets the font the tables' texts are drawn and measured in.
void UseTableFont();

// What every table draws alike, for a context other than a cell: the font at the start of
// a page, and a column's heading, raised, in its colour.
void DrawTableFrame(Fl_Table::TableContext context, const char* heading, Fl_Color headingColour,
                    int x, int y, int w, int h);

// A cell: its text left-aligned in colour on background, and the grid around it. The text
// is drawn as it is: an '@' is no symbol.
void DrawTableCell(const char* text, Fl_Color colour, Fl_Color background, int x, int y, int w,
                   int h);
