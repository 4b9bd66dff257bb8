// The main window as built: a fixed window whose feedback wraps, and every text fitting
// where the toolkit draws it.
#include "tests/ui/window_test_support.h"

#include <FL/fl_draw.H>

#include <algorithm>

namespace {

using LayoutTest = WindowTest;

struct Area { int x, y, w, h; };

// Where the toolkit draws a widget's own label: inside its box, less the return arrow
// of a return button or the box of a check button.
Area LabelAreaInside(const Fl_Widget* w) {
  const int dx = Fl::box_dx(w->box());
  if (dynamic_cast<const Fl_Return_Button*>(w)) {
    const int arrow = std::min(w->h(), w->w() / 3);
    return {w->x() + dx, w->y(), w->w() - 2 * dx - arrow, w->h()};
  }
  if (dynamic_cast<const Fl_Check_Button*>(w)) {
    const int left = dx + 2 + w->labelsize() + 2;
    return {w->x() + left, w->y(), w->w() - left - dx, w->h()};
  }
  Area area = {w->x() + dx, w->y() + Fl::box_dy(w->box()), w->w() - Fl::box_dw(w->box()),
               w->h() - Fl::box_dh(w->box())};
  const bool sideMargins = area.w > 11 && (w->align() & (FL_ALIGN_LEFT | FL_ALIGN_RIGHT));
  return sideMargins ? Area{area.x + 3, area.y, area.w - 6, area.h} : area;
}

// The size the toolkit gives a text, wrapped to width when the alignment asks for it. A
// '&' only underlines the next letter.
Area Measure(const char* text, Fl_Font font, int size, int align, int width) {
  std::string shown;
  for (const char* c = text; *c; ++c) if (*c != '&') shown += *c;
  fl_font(font, size);
  int w = (align & FL_ALIGN_WRAP) ? width : 0, h = 0;
  fl_measure(shown.c_str(), w, h, 0);
  return {0, 0, w, h};
}

TEST_F(LayoutTest, EveryLabelAndValueFitsWhereTheToolkitDrawsIt) {
  Fl_Window* win = ui->main_window;
  EXPECT_EQ(Fl_Group::current(), nullptr) << "the window's group was left open";
  EXPECT_EQ(ui->feedback_output->type(), FL_MULTILINE_OUTPUT_WRAP) << "long texts must wrap";
  Fl_Widget* settings = FindByLabel(win, "Encoding_settings");
  const int frameEdge = settings->x() + Fl::box_dx(settings->box());
  struct Row { const char* text; Fl_Font font; int size, align; Area area; };
  std::vector<Row> rows;
  for (Fl_Widget* w : std::vector<Fl_Widget*>{ui->welcome_button, ui->exit_button,
           ui->generate_button, ui->output_dir_button, ui->tooltips_button,
           FindByLabel(win, "Version 1.0.0"), ui->mail_button}) {
    Area area = LabelAreaInside(w);
    if (w->labeltype() == FL_SHADOW_LABEL) area = {area.x, area.y, area.w - 2, area.h - 2};
    rows.push_back({w->label(), w->labelfont(), w->labelsize(), int(w->align()), area});
  }
  // Each field's value starts one pixel into its box; its label stands left of it, inside
  // the settings frame.
  const std::pair<Fl_Widget*, Fl_Input_*> fields[] = {
      {ui->status_output, ui->status_output}, {ui->filename_input, ui->filename_input},
      {ui->silence_time_input, &ui->silence_time_input->input}};
  for (const auto& [w, f] : fields) {
    const Fl_Boxtype box = f->box();
    rows.push_back({f->value(), f->textfont(), f->textsize(), 0,
                    {f->x() + Fl::box_dx(box) + 1, f->y() + Fl::box_dy(box),
                     f->w() - Fl::box_dw(box) - 1, f->h() - Fl::box_dh(box)}});
    rows.push_back({w->label(), w->labelfont(), w->labelsize(), 0,
                    {frameEdge, w->y(), w->x() - 3 - frameEdge, w->h()}});
  }
  for (const Row& row : rows) {
    const Area text = Measure(row.text, row.font, row.size, row.align, row.area.w);
    EXPECT_TRUE(text.w <= row.area.w && text.h <= row.area.h)
        << "\"" << row.text << "\" needs " << text.w << " x " << text.h << " and has "
        << row.area.w << " x " << row.area.h;
    EXPECT_TRUE(row.area.x >= 0 && row.area.y >= 0 && row.area.x + row.area.w <= win->w() &&
                row.area.y + row.area.h <= win->h()) << row.text << " outside the window";
  }
}

}  // namespace
