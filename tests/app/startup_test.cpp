// The start-up sequence in-process: the banner chosen by the clock, the start folder as
// held, and a real run that holds the encoder's own version and the start folder while
// the window is up and releases both after.
#include <gtest/gtest.h>
#include <unistd.h>

#include <FL/Fl.H>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <utility>

#include "app/startup.h"
#include "encoder/encoder_version.h"
#include "platform/platform_window.h"
#include "ui/main_window_ui.h"

namespace fs = std::filesystem;

namespace {

// The program's own form of a native folder: backslashes, one at the end.
std::string OwnForm(const std::string& folder) {
  std::string own = folder + "/";
  std::replace(own.begin(), own.end(), '/', '\\');
  return own;
}

// Which banners a freshly built window shows when the clock reads second, as bits 1, 2, 4.
int ShownBanners(long long second) {
  ReplaceCalendarClock([second] { return second; });
  MainWindowUI ui;
  ui.show_window();
  ReplaceCalendarClock(nullptr);
  const int shown = ui.link_button_1->visible() + ui.link_button_2->visible() * 2 +
                    ui.link_button_3->visible() * 4;
  delete ui.main_window;
  return shown;
}

TEST(StartUp, ShowsOneBannerAndEachOfTheThreeOverStartsAtDifferentSeconds) {
  ASSERT_TRUE(OpenDisplay()) << "needs an X display";
  std::set<int> seen;
  for (long long second = 1700000000; second < 1700000030; ++second) seen.insert(ShownBanners(second));
  EXPECT_EQ(seen, (std::set<int>{1, 2, 4}));
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
    EXPECT_EQ(ReadStartDirectory(), row.held ? OwnForm(row.folder) : "") << row.folder;
    fs::current_path(previous);
  }
  fs::remove_all(base);
}

// The shell's texts as the window sees them while it is up.
std::string g_version, g_start;

TEST(StartUp, HoldsTheEncodersOwnVersionAndTheStartFolderWhileTheWindowIsUp) {
  ASSERT_TRUE(OpenDisplay()) << "needs an X display";
  const fs::path before = fs::current_path();
  const fs::path start = fs::temp_directory_path() / ("hm-start " + std::to_string(getpid()));
  fs::create_directories(start);
  fs::current_path(start);
  main_ui = new MainWindowUI;
  Fl::add_timeout(0.1, [](void*) {
    g_version = version_text;
    g_start = current_dir;
    main_ui->main_window->hide();
  });
  RunInteractivePart();
  delete main_ui->main_window;
  delete std::exchange(main_ui, nullptr);
  fs::current_path(before);
  fs::remove_all(start);

  BE_VERSION version;
  beVersion(&version);
  char expected[VERSION_TEXT_SIZE];
  ComposeVersionText(version, expected, sizeof expected);
  EXPECT_EQ(g_version, expected);
  EXPECT_EQ(g_start, OwnForm(start.string()));
  EXPECT_TRUE(version_text == nullptr && current_dir == nullptr) << "released after the run";
}

}  // namespace
