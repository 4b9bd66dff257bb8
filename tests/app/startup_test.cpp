// The start-up sequence in-process: the banner choice on a controlled clock, and a real
// run of the interactive part whose banner shows the encoder's own version and whose
// Generate announces the folder the program started in.
#include <gtest/gtest.h>
#include <lame/lame.h>
#include <unistd.h>

#include <FL/Fl.H>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/startup.h"
#include "platform/platform_window.h"
#include "ui/main_window_ui.h"

namespace fs = std::filesystem;

namespace {

// Which banner a freshly built window shows when the clock reads first, then second.
int ShownBanner(long long first, long long second) {
  int reads = 0;
  ReplaceCalendarClock([&] { return reads++ == 0 ? first : second; });
  MainWindowUI ui;
  ui.show_window();
  ReplaceCalendarClock(nullptr);
  const int shown = ui.link_button_1->visible() + ui.link_button_2->visible() * 2 +
                    ui.link_button_3->visible() * 4;
  ui.main_window->hide();
  delete ui.main_window;
  return shown == 1 ? 1 : shown == 2 ? 2 : shown == 4 ? 3 : -shown;  // -n: several or none
}

TEST(StartUp, OneOfThreeBannersSameWithinASecondAndTheSecondDrawDecidesAcrossOne) {
  ASSERT_TRUE(OpenDisplay()) << "needs an X display";
  std::map<int, int> seen;
  for (long long second = 1700000000; second < 1700000030; ++second) {
    ReplaceCalendarClock([second] { return second; });
    const int draw = pick_banner();
    ASSERT_TRUE(draw >= 0 && draw <= 2) << draw;
    EXPECT_EQ(pick_banner(), draw) << "two draws in one second differ";
    ReplaceCalendarClock(nullptr);
    const int shown = ShownBanner(second, second);
    EXPECT_EQ(shown, draw + 1) << second;
    EXPECT_EQ(ShownBanner(second, second), shown) << "two start-ups in one second differ";
    ++seen[shown];
    // The clock moves on between the draws: a first draw of 0 stands, else the second
    // decides between banners 2 and 3.
    ReplaceCalendarClock([second] { return second + 1; });
    const int next = pick_banner();
    ReplaceCalendarClock(nullptr);
    EXPECT_EQ(ShownBanner(second, second + 1), draw == 0 ? 1 : next == 1 ? 2 : 3) << second;
  }
  EXPECT_EQ(seen.size(), 3u) << "not every banner appears";
}

// What the feedback field showed at each pause of a real run.
std::vector<std::pair<unsigned, std::string>> shown_at_pause;
std::string banner_text_at_4000, generate_text_at_1000;

std::string ShownAt(unsigned milliseconds) {
  for (const auto& [pause, text] : shown_at_pause) if (pause == milliseconds) return text;
  return "(no pause of " + std::to_string(milliseconds) + " ms)";
}

void PressBannerThenGenerateThenEnd(void*) {
  for (Fl_Button* banner :
       {main_ui->link_button_1, main_ui->link_button_2, main_ui->link_button_3}) {
    if (banner->visible()) banner->do_callback();
  }
  banner_text_at_4000 = ShownAt(4000);
  shown_at_pause.clear();
  main_ui->silence_time_input->value(1);
  main_ui->silence_time_input->do_callback();
  main_ui->generate_button->do_callback();
  generate_text_at_1000 = ShownAt(1000);
  main_ui->main_window->hide();
}

TEST(StartUp, BannerShowsTheEncodersOwnVersionAndGenerateAnnouncesTheStartFolder) {
  ASSERT_TRUE(OpenDisplay()) << "needs an X display";
  const fs::path before = fs::current_path();
  const fs::path start = fs::temp_directory_path() / ("hm-start " + std::to_string(getpid()));
  fs::create_directories(start);
  fs::current_path(start);
  ReplacePause([](unsigned ms) {
    const char* text = main_ui->feedback_output->value();
    shown_at_pause.emplace_back(ms, text ? text : "");
  });
  ReplaceOpener([](const char*) {});

  main_ui = new MainWindowUI;
  current_dir = static_cast<char*>(malloc(CURRENT_DIR_SIZE));
  version_text = static_cast<char*>(malloc(VERSION_TEXT_SIZE));
  Fl::add_timeout(0.1, PressBannerThenGenerateThenEnd);
  RunInteractivePart();
  delete main_ui->main_window;
  delete main_ui;
  main_ui = nullptr;
  ReplacePause(nullptr);
  ReplaceOpener(nullptr);
  fs::current_path(before);

  EXPECT_EQ(current_dir, nullptr);
  EXPECT_EQ(version_text, nullptr);
  // The banner's text during its four-second pause: the library's own numbers and
  // address, whatever the encoder says of itself as the interface's version.
  const std::string& version = banner_text_at_4000;
  const std::string engine = std::string("\n>>> Engine version:            ") + get_lame_version();
  const std::string homepage = std::string("\n>>> Official Project homepage: ") + get_lame_url();
  EXPECT_EQ(version.rfind("\n>>> DLL version:               ", 0), 0u) << version;
  EXPECT_NE(version.find(engine + homepage), std::string::npos) << version;
  // Generate's announcement, shown during its one-second pause.
  EXPECT_EQ(generate_text_at_1000,
            "\n>>> Output file: \"blankfile.mp3\"\n>>> Target directory: \"" + start.string() + "/\"");
  EXPECT_TRUE(fs::exists(start / "blankfile.mp3"));
  fs::remove_all(start);
}

}  // namespace
