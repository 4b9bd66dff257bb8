// The main window as start-up shows it: centred, one banner, the title.
#include <gtest/gtest.h>

#include <FL/Fl.H>
#include <FL/Fl_Window.H>

#include "platform/platform.h"
#include "ui/main_window_ui.h"

namespace {

TEST(ShowWindow, CentresTheWindowAndShowsExactlyOneBanner) {
  ASSERT_TRUE(OpenDisplay()) << "needs an X display";
  MainWindowUI ui;
  ui.show_window();
  Fl::check();

  int screen_width = 0, screen_height = 0;
  GetScreenSize(&screen_width, &screen_height);
  EXPECT_EQ(ui.main_window->x(), (screen_width - 598) / 2);
  EXPECT_EQ(ui.main_window->y(), (screen_height - 396) / 2);
  EXPECT_EQ(ui.main_window->w(), 598);
  EXPECT_EQ(ui.main_window->h(), 396);
  EXPECT_STREQ(ui.main_window->label(), "Hushmaker");
  EXPECT_TRUE(ui.main_window->shown());

  int visible = ui.link_button_1->visible() + ui.link_button_2->visible() +
                ui.link_button_3->visible();
  EXPECT_EQ(visible, 1);
  ui.main_window->hide();
}

}  // namespace
