// The main window as built: what a user would see wrong if a widget's setting broke or a
// text did not fit where the toolkit draws it.
#include "tests/ui/window_test_support.h"

#include <FL/Fl_Box.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <typeinfo>

namespace {

constexpr int GRAY = FL_BACKGROUND_COLOR, MID = FL_ALIGN_CENTER, LEFT = FL_ALIGN_LEFT;
constexpr int FRAME = FL_ALIGN_TOP | FL_ALIGN_LEFT, CHECK = FL_ALIGN_LEFT | FL_ALIGN_INSIDE;
const int UP = FL_PLASTIC_UP_BOX, DOWN = FL_PLASTIC_DOWN_BOX;
const char* const LINK_TIP =
    "Click here to access a MP3-related website through your default browser";
const std::vector<int> BANNER = {16, 201, 245, 35, FL_NO_BOX, 0, GRAY, GRAY, 0, 0, 14, MID, 0};

using LayoutTest = WindowTest;

TEST_F(LayoutTest, EveryChildSitsAndLooksAsIntendedAndTheWindowStartsFixedWithTooltipsOff) {
  Fl_Window* win = ui->main_window;
  ASSERT_EQ(win->children(), 16);
  // Geometry, box, pressed box, colour, selection colour, label type, font, size,
  // alignment and shortcut, in creation order, which is also the focus order.
  const struct {
    Fl_Widget* widget;
    const std::type_info& type;
    const char *label, *tooltip;
    std::vector<int> look;
  } rows[] = {
      {ui->feedback_output, typeid(Fl_Output), "output:", "I will report some feedback here",
       {16, 249, 566, 95, DOWN, 0, 32, 245, FL_NO_LABEL, FL_HELVETICA, 14, MID, 0}},
      {ui->welcome_button, typeid(Fl_Button),
       "Welcome to Hushmaker! Its purpose is to create an empty 44.1kHz/16bits/Mono/VBR .mp3 "
       "file compatible with Raven's game voice files for both these games: ST:V-EF and "
       "JKII: JO. This program is intended for single player mappers",
       "Click here to know more about the usefulness of this program. Once it is done, "
       "click here again to access the next help page",
       {15, 17, 567, 53, FL_ENGRAVED_BOX, FL_ENGRAVED_BOX, 204, 204, 0, 0, 14, FL_ALIGN_WRAP, 0}},
      {FindByLabel(win, "Action_buttons"), typeid(Fl_Box), "Action_buttons", nullptr,
       {16, 84, 245, 106, FL_ENGRAVED_FRAME, 0, GRAY, GRAY, FL_NO_LABEL, 0, 14, FRAME, 0}},
      {FindByLabel(win, "Encoding_settings"), typeid(Fl_Box), "Encoding_settings", nullptr,
       {275, 84, 307, 152, FL_ENGRAVED_FRAME, 0, GRAY, GRAY, FL_NO_LABEL, 0, 14, FRAME, 0}},
      {ui->exit_button, typeid(Fl_Return_Button), "Exit", nullptr,
       {263, 357, 75, 25, UP, DOWN, 144, 144, 0, 0, 14, MID, FL_Enter}},
      {ui->status_output, typeid(Fl_Output), "Encoder Status:", "Current encoder state",
       {395, 100, 170, 30, FL_DOWN_BOX, 0, 32, 245, 0, 0, 14, LEFT, 0}},
      {ui->silence_time_input, typeid(Fl_Value_Input), "Silence Time:",
       "Drag your mouse to the right, while maintaining the left click down, to define in "
       "seconds the length of the MP3",
       {395, 145, 170, 30, FL_DOWN_BOX, 0, 32, 245, 0, 0, 14, LEFT, 0}},
      {ui->filename_input, typeid(Fl_Input), "MP3 Filename:",
       "I will append \".mp3\" to this filename for you, if necessary",
       {395, 190, 170, 30, FL_DOWN_BOX, 0, 32, 245, 0, 0, 14, LEFT, 0}},
      {ui->generate_button, typeid(Fl_Button), "&Generate File",
       "Create a .mp3 file following either your settings or the default ones",
       {84, 100, 105, 30, UP, DOWN, 244, 244, 0, 0, 14, MID, FL_ALT + 'g'}},
      {ui->output_dir_button, typeid(Fl_Button), "Select &Output Directory",
       "Set the target directory to store in the .mp3 file",
       {56, 144, 160, 30, UP, DOWN, 244, 244, 0, 0, 14, MID, FL_ALT + 'o'}},
      {ui->link_button_1, typeid(Fl_Button), nullptr, LINK_TIP, BANNER},
      {ui->link_button_2, typeid(Fl_Button), nullptr, LINK_TIP, BANNER},
      {ui->link_button_3, typeid(Fl_Button), nullptr, LINK_TIP, BANNER},
      {ui->tooltips_button, typeid(Fl_Check_Button), "&Disable Tooltips", nullptr,
       {14, 357, 123, 25, FL_NO_BOX, FL_DOWN_BOX, 32, 32, 0, 0, 14, CHECK, FL_ALT + 'd'}},
      {FindByLabel(win, "Version 1.0.0"), typeid(Fl_Box), "Version 1.0.0", nullptr,
       {485, 343, 103, 15, FL_NO_BOX, 0, GRAY, GRAY, 0, FL_COURIER, 11, MID, 0}},
      {ui->mail_button, typeid(Fl_Button), "(c) 2026 Hushmaker team",
       "Should you want to email me, click here!",
       {396, 366, 197, 25, FL_NO_BOX, FL_NO_BOX, GRAY, GRAY, FL_SHADOW_LABEL, 0, 13, MID, 0}},
  };
  for (int i = 0; i < 16; ++i) {
    Fl_Widget* w = rows[i].widget;
    SCOPED_TRACE(testing::Message() << "child " << i << " " << Text(rows[i].label));
    auto* button = dynamic_cast<Fl_Button*>(w);
    const std::vector<int> look = {
        w->x(), w->y(), w->w(), w->h(), w->box(), button ? button->down_box() : 0,
        int(w->color()), int(w->selection_color()), w->labeltype(), w->labelfont(),
        w->labelsize(), int(w->align()), button ? button->shortcut() : 0};
    EXPECT_EQ(win->child(i), w) << "creation (focus) order";
    EXPECT_EQ(typeid(*w), rows[i].type);
    EXPECT_EQ(look, rows[i].look);
    EXPECT_EQ(Text(w->label()), Text(rows[i].label));
    EXPECT_EQ(Text(w->tooltip()), Text(rows[i].tooltip));
    EXPECT_TRUE(rows[i].tooltip == LINK_TIP || w->visible()) << "only banners may be hidden";
  }
  Fl_Pixmap* banners[] = {&banner_image_1, &banner_image_2, &banner_image_3};
  int shown = 0;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(rows[10 + i].widget->image(), banners[i]) << i;
    shown += rows[10 + i].widget->visible() ? 1 : 0;
  }
  EXPECT_EQ(shown, 1) << "exactly one banner is shown";
  EXPECT_EQ(std::vector<int>({win->box(), int(win->color()), win->w(), win->h()}),
            std::vector<int>({FL_PLASTIC_UP_BOX, 192, 598, 396}));
  EXPECT_EQ(win->resizable(), nullptr);
  EXPECT_STREQ(Fl::scheme(), "plastic");
  EXPECT_EQ(Fl_Group::current(), nullptr) << "the window's group was left open";
  EXPECT_FALSE(Fl_Tooltip::enabled());
  EXPECT_EQ(ui->tooltips_button->value(), 1);
  EXPECT_EQ(Fl::focus(), ui->filename_input);
  EXPECT_EQ(ui->silence_time_input->maximum(), 28800.0);
  const struct { Fl_Input_* field; int type; const char* value; } fields[] = {
      {ui->feedback_output, FL_MULTILINE_OUTPUT_WRAP, ""},
      {ui->status_output, FL_NORMAL_OUTPUT, "Idle"},
      {&ui->silence_time_input->input, FL_INT_INPUT, "0"},
      {ui->filename_input, FL_NORMAL_INPUT, ""}};
  for (const auto& f : fields) {
    const int text_colour = f.field == ui->feedback_output ? 7 : 32;
    EXPECT_EQ(std::vector<int>({f.field->type(), f.field->textfont(), int(f.field->textcolor())}),
              std::vector<int>({f.type, FL_COURIER, text_colour})) << f.value;
    EXPECT_STREQ(f.field->value(), f.value);
  }
}

struct Area {
  int x, y, w, h;
};

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
  const bool side_margins = area.w > 11 && (w->align() & (FL_ALIGN_LEFT | FL_ALIGN_RIGHT));
  return side_margins ? Area{area.x + 3, area.y, area.w - 6, area.h} : area;
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
  Fl_Widget* settings = FindByLabel(win, "Encoding_settings");
  const int frame_edge = settings->x() + Fl::box_dx(settings->box());
  struct Row {
    std::string what;
    const char* text;
    Fl_Font font;
    int size, align;
    Area area;
  };
  std::vector<Row> rows;
  const std::vector<Fl_Widget*> labelled = {
      ui->welcome_button,    ui->exit_button,     ui->generate_button,
      ui->output_dir_button, ui->tooltips_button, FindByLabel(win, "Version 1.0.0"),
      ui->mail_button};
  for (Fl_Widget* w : labelled) {
    Area area = LabelAreaInside(w);
    if (w->labeltype() == FL_SHADOW_LABEL) area = {area.x, area.y, area.w - 2, area.h - 2};
    rows.push_back({"label", w->label(), w->labelfont(), w->labelsize(), int(w->align()), area});
  }
  for (Fl_Input_* field :
       std::vector<Fl_Input_*>{ui->status_output, &ui->silence_time_input->input}) {
    const Fl_Boxtype box = field->box();  // the text starts one pixel into the box
    rows.push_back({"value", field->value(), field->textfont(), field->textsize(), 0,
                    {field->x() + Fl::box_dx(box) + 1, field->y() + Fl::box_dy(box),
                     field->w() - Fl::box_dw(box) - 1, field->h() - Fl::box_dh(box)}});
  }
  // The field labels stand left of their field, inside the settings frame.
  for (Fl_Widget* w : std::vector<Fl_Widget*>{ui->status_output, ui->silence_time_input,
                                              ui->filename_input}) {
    rows.push_back({"outside label", w->label(), w->labelfont(), w->labelsize(), 0,
                    {frame_edge, w->y(), w->x() - 3 - frame_edge, w->h()}});
  }
  for (const Row& row : rows) {
    const Area text = Measure(row.text, row.font, row.size, row.align, row.area.w);
    EXPECT_TRUE(text.w <= row.area.w && text.h <= row.area.h)
        << row.what << " \"" << row.text << "\" needs " << text.w << " x " << text.h
        << " and has " << row.area.w << " x " << row.area.h;
    EXPECT_TRUE(row.area.x >= 0 && row.area.y >= 0 && row.area.x + row.area.w <= win->w() &&
                row.area.y + row.area.h <= win->h()) << row.text << " outside the window";
  }
}

}  // namespace
