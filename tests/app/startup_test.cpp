// The start-up sequence in-process: the banner chosen by the clock, the start folder as
// held, and a real run that holds the encoder's own version and the start folder while
// the window is up and releases both after.
#include <gtest/gtest.h>

#include <FL/Fl.H>

#include <filesystem>
#include <set>
#include <string>
#include <utility>

#include "app/startup.h"
#include "encoder/encoder_version.h"
#include "platform/platform_window.h"
#include "tests/test_support.h"
#include "ui/main_window_ui.h"

namespace fs = std::filesystem;

namespace {

using StartUp = ScratchDirectoryTest;

TEST_F(StartUp, ShowsOneBannerAndEachOfTheThreeOverStartsAtDifferentSeconds) {
  ASSERT_TRUE(OpenDisplay()) << "needs an X display";
  std::set<int> seen;  // the banners shown, as bits 1, 2, 4
  for (long long second = 1700000000; second < 1700000030; ++second) {
    ReplaceCalendarClock([second] { return second; });
    MainWindowUI ui;
    ui.show_window();
    seen.insert(ui.link_button_1->visible() + ui.link_button_2->visible() * 2 +
                ui.link_button_3->visible() * 4);
    delete ui.main_window;
  }
  ReplaceCalendarClock(nullptr);
  EXPECT_EQ(seen, (std::set<int>{1, 2, 4}));
}

// A folder longer than the buffer stands for any the system cannot name, a removed one too.
TEST_F(StartUp, HoldsTheStartFolderWholeOrLeavesItEmptyWhenItCannotBeNamed) {
  const std::string base = scratch_.path;
  const auto ofLength = [&](size_t length) {
    return base + "/" + std::string(200, 'a') + "/" + std::string(length - base.size() - 202, 'b');
  };
  // 254 characters and the trailing backslash fill the 256-byte block.
  const std::string held = ofLength(254);
  for (const std::string& folder : {held, ofLength(255), ofLength(306), base + "/a\\b"}) {
    fs::create_directories(folder);
    fs::current_path(folder);
    // Read back in native form; the run below sees the program's own form, backslashes.
    EXPECT_EQ(NativePath(ReadStartDirectory().c_str()), folder == held ? held + "/" : "") << folder;
  }
}

// The shell's texts as the window sees them while it is up.
std::string g_version, g_start;

TEST_F(StartUp, HoldsTheEncodersOwnVersionAndTheStartFolderWhileTheWindowIsUp) {
  ASSERT_TRUE(OpenDisplay()) << "needs an X display";
  main_ui = new MainWindowUI;
  Fl::add_timeout(0.1, [](void*) {
    g_version = version_text;
    g_start = current_dir;
    main_ui->main_window->hide();
  });
  RunInteractivePart();
  delete main_ui->main_window;
  delete std::exchange(main_ui, nullptr);

  BE_VERSION version;
  beVersion(&version);
  char expected[VERSION_TEXT_SIZE];
  ComposeVersionText(version, expected, sizeof expected);
  EXPECT_EQ(g_version, expected);
  EXPECT_EQ(g_start, scratch_.Own());
  EXPECT_TRUE(version_text == nullptr && current_dir == nullptr) << "released after the run";
}

}  // namespace
