// The start-up sequence in-process: the banner chosen by the clock, the start
// folder as held, and a real run whose banner shows the encoder's own version and whose
// Generate announces the folder the program started in.
#include <gtest/gtest.h>
#include <lame/lame.h>
#include <unistd.h>

#include <FL/Fl.H>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/startup.h"
#include "platform/platform_window.h"
#include "support/path_helpers.h"
#include "ui/main_window_ui.h"

namespace fs = std::filesystem;

namespace {

// Which banner a freshly built window shows when the clock reads second: 1 to 3, or -n
// when several or none are shown.
int ShownBanner(long long second) {
  ReplaceCalendarClock([second] { return second; });
  MainWindowUI ui;
  ui.show_window();
  ReplaceCalendarClock(nullptr);
  const int shown = ui.link_button_1->visible() + ui.link_button_2->visible() * 2 +
                    ui.link_button_3->visible() * 4;
  ui.main_window->hide();
  delete ui.main_window;
  return shown == 1 ? 1 : shown == 2 ? 2 : shown == 4 ? 3 : -shown;
}

TEST(StartUp, ShowsOneBannerAndEachOfTheThreeOverStartsAtDifferentSeconds) {
  ASSERT_TRUE(OpenDisplay()) << "needs an X display";
  std::set<int> seen;
  for (long long second = 1700000000; second < 1700000030; ++second) {
    seen.insert(ShownBanner(second));
  }
  EXPECT_EQ(seen, (std::set<int>{1, 2, 3}));
}

TEST(StartDirectory, IsHeldWholeOrLeftEmptyWhenItCannotBeNamed) {
  char pattern[] = "/tmp/hm-start-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string base = pattern, gone = base + "/gone";
  const fs::path previous = fs::current_path();
  const auto ofLength = [&](size_t length) {
    return base + "/" + std::string(200, 'a') + "/" + std::string(length - base.size() - 202, 'b');
  };
  // 254 characters and the trailing backslash fill the 256-byte block.
  const struct { std::string folder; bool held; } rows[] = {
      {ofLength(254), true}, {ofLength(255), false}, {ofLength(306), false},
      {base + "/a\\b", false}, {gone, false}};
  for (const auto& row : rows) {
    fs::create_directories(row.folder);
    fs::current_path(row.folder);
    if (row.folder == gone) fs::remove(gone);
    const std::string read = ReadStartDirectory();
    std::string own = row.folder + "/";
    for (char& c : own) c = c == '/' ? '\\' : c;
    EXPECT_EQ(read, row.held ? own : "") << row.folder.size() << " " << row.folder;
    fs::current_path(previous);
  }
  fs::remove_all(base);
}

// What the feedback field showed at each pause, during the banner's action and then
// during Generate's.
std::vector<std::string> shown_at_pause, shown_by_banner;

void PressBannerThenGenerateThenEnd(void*) {
  for (Fl_Button* banner :
       {main_ui->link_button_1, main_ui->link_button_2, main_ui->link_button_3}) {
    if (banner->visible()) banner->do_callback();
  }
  shown_by_banner.swap(shown_at_pause);
  main_ui->silence_time_input->value(1);
  main_ui->silence_time_input->do_callback();
  main_ui->generate_button->do_callback();
  main_ui->main_window->hide();
}

TEST(StartUp, BannerShowsTheEncodersOwnVersionAndGenerateAnnouncesTheStartFolder) {
  ASSERT_TRUE(OpenDisplay()) << "needs an X display";
  const fs::path before = fs::current_path();
  const fs::path start = fs::temp_directory_path() / ("hm-start " + std::to_string(getpid()));
  fs::create_directories(start);
  fs::current_path(start);
  ReplacePause([](unsigned) { shown_at_pause.push_back(main_ui->feedback_output->value()); });
  ReplaceOpener([](const char*) {});
  main_ui = new MainWindowUI;
  Fl::add_timeout(0.1, PressBannerThenGenerateThenEnd);
  RunInteractivePart();
  delete main_ui->main_window;
  delete std::exchange(main_ui, nullptr);
  ReplacePause(nullptr);
  ReplaceOpener(nullptr);
  fs::current_path(before);

  // The banner shows the library's own numbers and address.
  const std::string engine = std::string("\n>>> Engine version:            ") + get_lame_version() +
                             "\n>>> Official Project homepage: " + get_lame_url();
  const auto isVersion = [&engine](const std::string& shown) {
    return shown.rfind("\n>>> DLL version: ", 0) == 0 && shown.find(engine) != shown.npos;
  };
  EXPECT_EQ(std::count_if(shown_by_banner.begin(), shown_by_banner.end(), isVersion), 1);
  const std::string said = "\n>>> Output file: \"blankfile.mp3\"\n>>> Target directory: \"" +
                           start.string() + "/\"";
  EXPECT_NE(std::find(shown_at_pause.begin(), shown_at_pause.end(), said), shown_at_pause.end());
  EXPECT_TRUE(fs::exists(start / "blankfile.mp3"));
  fs::remove_all(start);
}

}  // namespace
