// The main window as built: what a user would see wrong if a widget's setting broke.
#include <gtest/gtest.h>

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Tooltip.H>
#include <FL/fl_draw.H>

#include <ctime>
#include <typeinfo>

#include "tests/ui/window_test_support.h"

namespace {

class LayoutTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(OpenDisplay()) << "needs an X display"; }
  void SetUp() override {
    Fl_Tooltip::enable(1);  // as the toolkit starts; the window must switch them off
    ui = new MainWindowUI;
  }
  void TearDown() override {
    Fl_Window* window = ui->main_window;
    delete ui;
    delete window;
  }
  MainWindowUI* ui = nullptr;
};

constexpr Fl_Color GRAY = FL_BACKGROUND_COLOR;
constexpr Fl_Boxtype NOT_A_BUTTON = FL_FREE_BOXTYPE;
const char* const LINK_TIP = "Click here to access a MP3-related website through your default browser";

struct WidgetRow {
  Fl_Widget* widget;
  const std::type_info& widget_class;
  int x, y, w, h;
  const char* label;
  Fl_Boxtype box, down_box;
  Fl_Color color, selection_color;
  Fl_Labeltype label_type;
  Fl_Font label_font;
  Fl_Fontsize label_size;
  Fl_Align align;
  const char* tooltip;
  int shortcut;
  bool visible;
};

TEST_F(LayoutTest, EveryChildSitsWhereItBelongsAndLooksAsIntended) {
  Fl_Window* win = ui->main_window;
  ASSERT_EQ(win->children(), 16);
  const Fl_Align frame = FL_ALIGN_TOP | FL_ALIGN_LEFT, check = FL_ALIGN_LEFT | FL_ALIGN_INSIDE;
  // In creation order, which is also the keyboard focus order.
  const WidgetRow rows[] = {
      {ui->feedback_output, typeid(Fl_Output), 16, 249, 566, 95, "output:", FL_PLASTIC_DOWN_BOX,
       NOT_A_BUTTON, 32, 245, FL_NO_LABEL, FL_HELVETICA, 14, FL_ALIGN_CENTER,
       "I will report some feedback here", 0, true},
      {ui->welcome_button, typeid(Fl_Button), 15, 17, 567, 53,
       "Welcome to Hushmaker! Its purpose is to create an empty 44.1kHz/16bits/Mono/VBR .mp3 "
       "file compatible with Raven's game voice files for both these games: ST:V-EF and "
       "JKII: JO. This program is intended for single player mappers",
       FL_ENGRAVED_BOX, FL_ENGRAVED_BOX, 204, 204, FL_NORMAL_LABEL, FL_HELVETICA, 14,
       FL_ALIGN_WRAP,
       "Click here to know more about the usefulness of this program. Once it is done, "
       "click here again to access the next help page", 0, true},
      {win->child(2), typeid(Fl_Box), 16, 84, 245, 106, "Action_buttons", FL_ENGRAVED_FRAME,
       NOT_A_BUTTON, GRAY, GRAY, FL_NO_LABEL, FL_HELVETICA, 14, frame, nullptr, 0, true},
      {win->child(3), typeid(Fl_Box), 275, 84, 307, 152, "Encoding_settings", FL_ENGRAVED_FRAME,
       NOT_A_BUTTON, GRAY, GRAY, FL_NO_LABEL, FL_HELVETICA, 14, frame, nullptr, 0, true},
      {ui->exit_button, typeid(Fl_Return_Button), 263, 357, 75, 25, "Exit", FL_PLASTIC_UP_BOX,
       FL_PLASTIC_DOWN_BOX, 144, 144, FL_NORMAL_LABEL, FL_HELVETICA, 14, FL_ALIGN_CENTER,
       nullptr, FL_Enter, true},
      {ui->status_output, typeid(Fl_Output), 395, 100, 170, 30, "Encoder Status:", FL_DOWN_BOX,
       NOT_A_BUTTON, 32, 245, FL_NORMAL_LABEL, FL_HELVETICA, 14, FL_ALIGN_LEFT,
       "Current encoder state", 0, true},
      {ui->silence_time_input, typeid(Fl_Value_Input), 395, 145, 170, 30, "Silence Time:",
       FL_DOWN_BOX, NOT_A_BUTTON, 32, 245, FL_NORMAL_LABEL, FL_HELVETICA, 14, FL_ALIGN_LEFT,
       "Drag your mouse to the right, while maintaining the left click down, to define in "
       "seconds the length of the MP3", 0, true},
      {ui->filename_input, typeid(Fl_Input), 395, 190, 170, 30, "MP3 Filename:", FL_DOWN_BOX,
       NOT_A_BUTTON, 32, 245, FL_NORMAL_LABEL, FL_HELVETICA, 14, FL_ALIGN_LEFT,
       "I will append \".mp3\" to this filename for you, if necessary", 0, true},
      {ui->generate_button, typeid(Fl_Button), 84, 100, 105, 30, "&Generate File",
       FL_PLASTIC_UP_BOX, FL_PLASTIC_DOWN_BOX, 244, 244, FL_NORMAL_LABEL, FL_HELVETICA, 14,
       FL_ALIGN_CENTER, "Create a .mp3 file following either your settings or the default ones",
       FL_ALT + 'g', true},
      {ui->output_dir_button, typeid(Fl_Button), 56, 144, 160, 30, "Select &Output Directory",
       FL_PLASTIC_UP_BOX, FL_PLASTIC_DOWN_BOX, 244, 244, FL_NORMAL_LABEL, FL_HELVETICA, 14,
       FL_ALIGN_CENTER, "Set the target directory to store in the .mp3 file", FL_ALT + 'o', true},
      {ui->link_button_1, typeid(Fl_Button), 16, 201, 245, 35, nullptr, FL_NO_BOX, FL_NO_BOX,
       GRAY, GRAY, FL_NORMAL_LABEL, FL_HELVETICA, 14, FL_ALIGN_CENTER, LINK_TIP, 0, false},
      {ui->link_button_2, typeid(Fl_Button), 16, 201, 245, 35, nullptr, FL_NO_BOX, FL_NO_BOX,
       GRAY, GRAY, FL_NORMAL_LABEL, FL_HELVETICA, 14, FL_ALIGN_CENTER, LINK_TIP, 0, false},
      {ui->link_button_3, typeid(Fl_Button), 16, 201, 245, 35, nullptr, FL_NO_BOX, FL_NO_BOX,
       GRAY, GRAY, FL_NORMAL_LABEL, FL_HELVETICA, 14, FL_ALIGN_CENTER, LINK_TIP, 0, false},
      {ui->tooltips_button, typeid(Fl_Check_Button), 14, 357, 123, 25, "&Disable Tooltips",
       FL_NO_BOX, FL_DOWN_BOX, 32, 32, FL_NORMAL_LABEL, FL_HELVETICA, 14, check, nullptr,
       FL_ALT + 'd', true},
      {win->child(14), typeid(Fl_Box), 485, 343, 103, 15, "Version 1.0.0", FL_NO_BOX,
       NOT_A_BUTTON, GRAY, GRAY, FL_NORMAL_LABEL, FL_COURIER, 11, FL_ALIGN_CENTER, nullptr, 0,
       true},
      {ui->mail_button, typeid(Fl_Button), 396, 366, 197, 25, "(c) 2026 Hushmaker team",
       FL_NO_BOX, FL_NO_BOX, GRAY, GRAY, FL_SHADOW_LABEL, FL_HELVETICA, 13, FL_ALIGN_CENTER,
       "Should you want to email me, click here!", 0, true},
  };
  ASSERT_EQ(sizeof rows / sizeof rows[0], 16u);

  for (int i = 0; i < 16; ++i) {
    const WidgetRow& row = rows[i];
    Fl_Widget* w = row.widget;
    SCOPED_TRACE(testing::Message() << "child " << i << " " << (row.label ? row.label : ""));
    EXPECT_EQ(win->child(i), w) << "creation (focus) order";
    EXPECT_EQ(typeid(*w), row.widget_class);
    EXPECT_EQ(testing::PrintToString(std::vector<int>{w->x(), w->y(), w->w(), w->h()}),
              testing::PrintToString(std::vector<int>{row.x, row.y, row.w, row.h}));
    EXPECT_EQ(testing::PrintToString(w->label()), testing::PrintToString(row.label));
    EXPECT_EQ(testing::PrintToString(w->tooltip()), testing::PrintToString(row.tooltip));
    EXPECT_EQ(w->box(), row.box);
    EXPECT_EQ(w->color(), row.color);
    EXPECT_EQ(w->selection_color(), row.selection_color);
    EXPECT_EQ(w->labeltype(), row.label_type);
    EXPECT_EQ(w->labelfont(), row.label_font);
    EXPECT_EQ(w->labelsize(), row.label_size);
    EXPECT_EQ(w->align(), row.align);
    EXPECT_EQ(w->visible() != 0, row.visible);
    if (row.down_box != NOT_A_BUTTON) {
      auto* button = dynamic_cast<Fl_Button*>(w);
      ASSERT_NE(button, nullptr);
      EXPECT_EQ(button->down_box(), row.down_box);
      EXPECT_EQ(button->shortcut(), row.shortcut);
    }
  }
}

TEST_F(LayoutTest, TextFieldsShowTheirStartValuesInTheirLook) {
  ui->main_window->show();  // the length field picks its entry kind when first drawn
  Fl::check();
  const struct {
    Fl_Input_* field;
    int type;
    Fl_Color text_color;
    const char* value;
  } rows[] = {
      {ui->feedback_output, FL_MULTILINE_OUTPUT_WRAP, 7, ""},
      {ui->status_output, FL_NORMAL_OUTPUT, 32, "Idle"},
      {&ui->silence_time_input->input, FL_INT_INPUT, 32, "0"},
      {ui->filename_input, FL_NORMAL_INPUT, 32, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.value);
    EXPECT_EQ(row.field->type(), row.type);
    EXPECT_EQ(row.field->textfont(), FL_COURIER);
    EXPECT_EQ(row.field->textcolor(), row.text_color);
    EXPECT_STREQ(row.field->value(), row.value);
    if (!row.field->readonly()) {
      EXPECT_EQ(row.field->cursor_color(), FL_BLACK);
    }
  }
  EXPECT_EQ(ui->status_output->when(), FL_WHEN_CHANGED);
  EXPECT_EQ(ui->silence_time_input->minimum(), 0.0);
  EXPECT_EQ(ui->silence_time_input->maximum(), 28800.0);
  EXPECT_EQ(ui->silence_time_input->step(), 1.0);
  EXPECT_EQ(ui->silence_time_input->when(), FL_WHEN_CHANGED);
}

TEST_F(LayoutTest, WindowStartsHiddenFixedInSizeWithTooltipsOffAndOpensWithFocusInTheName) {
  Fl_Window* window = ui->main_window;
  EXPECT_FALSE(window->shown());
  EXPECT_STREQ(window->label(), "Hushmaker");
  EXPECT_EQ(window->w(), 598);
  EXPECT_EQ(window->h(), 396);
  EXPECT_EQ(window->box(), FL_PLASTIC_UP_BOX);
  EXPECT_EQ(window->color(), 192u);
  EXPECT_EQ(window->selection_color(), 192u);
  EXPECT_EQ(window->user_data(), ui);
  EXPECT_EQ(window->resizable(), nullptr);
  EXPECT_STREQ(Fl::scheme(), "plastic");
  EXPECT_EQ(Fl_Group::current(), nullptr) << "the window's group was left open";
  EXPECT_FALSE(Fl_Tooltip::enabled());
  EXPECT_EQ(ui->tooltips_button->value(), 1);

  ui->show_window();
  Fl::check();
  EXPECT_EQ(Fl::focus(), ui->filename_input);
}

TEST_F(LayoutTest, ShowWindowShowsTheBannerThatTheDrawPicks) {
  // Every draw within one second gives the same value, so the test's own draw tells
  // which banner the window must show.
  Fl_Button* links[] = {ui->link_button_1, ui->link_button_2, ui->link_button_3};
  Fl_Pixmap* images[] = {&banner_image_1, &banner_image_2, &banner_image_3};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(links[i]->image(), images[i]);
    EXPECT_EQ(images[i]->w() * 100 + images[i]->h(), links[i]->w() * 100 + links[i]->h());
  }
  for (int attempt = 0; attempt < 5; ++attempt) {
    for (Fl_Button* link : links) link->hide();
    time_t before = time(nullptr);
    ui->show_window();
    int drawn = pick_banner();
    if (time(nullptr) != before) continue;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(links[i]->visible() != 0, i == drawn) << i + 1;
    return;
  }
  FAIL() << "the clock's second changed in every attempt";
}

TEST_F(LayoutTest, CreditLineFitsOnItsButton) {
  fl_font(ui->mail_button->labelfont(), ui->mail_button->labelsize());
  int width = 0, height = 0;
  fl_measure(ui->mail_button->label(), width, height, 0);
  EXPECT_LE(width, ui->mail_button->w());
  EXPECT_LE(height, ui->mail_button->h());
}

}  // namespace
