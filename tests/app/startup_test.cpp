// The start-up sequence in-process: the banner chosen by the clock, the start folder as
// held, the window's arguments, and a real run that holds the encoder's own version and
// the start folder while the window is up, opens the paths given and releases both after.
#include <gtest/gtest.h>

#include <FL/Fl.H>

#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/startup.h"
#include "encoder/encoder_version.h"
#include "generator/hushmaker.h"
#include "platform/platform_window.h"
#include "tests/test_support.h"
#include "ui/check_view.h"
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

TEST(ReadWindowArguments, TakesPathsAndHelpAndRefusesOtherOptions) {
  using Strings = std::vector<std::string>;
  const struct { Strings given; bool help; Strings paths; std::string problem; } rows[] = {
      {{}, false, {}, ""},
      {{"strip/mymap.sp", "sound/chars/mymap"}, false, {"strip/mymap.sp", "sound/chars/mymap"}, ""},
      {{"--help"}, true, {}, ""},
      {{"a.mp3", "--help", "-x"}, true, {"a.mp3"}, "unknown option -x"},
      {{"-x", "--verbose"}, false, {}, "unknown option -x"},
      // After "--" a name may begin with '-'.
      {{"--", "-voice.mp3", "--help"}, false, {"-voice.mp3", "--help"}, ""},
      {{"C:\\maps\\mymap.sp", ""}, false, {"C:\\maps\\mymap.sp", ""}, ""},
  };
  for (const auto& row : rows) {
    const WindowArguments read = ReadWindowArguments(row.given);
    EXPECT_EQ(read.help, row.help);
    EXPECT_EQ(read.paths, row.paths);
    EXPECT_EQ(read.problem, row.problem);
  }
}

// A run with a path: while the window is up it holds the encoder's own version and the
// start folder and shows the view the path opened; it ends with the main window, not
// waiting for the view, and releases both texts.
std::string g_version, g_start;
int g_views = -1;
void RecordTheRunAndHideTheMainWindow(void*) {
  g_version = version_text;
  g_start = current_dir;
  g_views = 0;
  for (Fl_Window* w = Fl::first_window(); w; w = Fl::next_window(w)) {
    g_views += dynamic_cast<CheckView*>(w) != nullptr;
  }
  main_ui->main_window->hide();
}
// Should the run wait for the view, this ends it.
void HideEveryWindow(void*) {
  while (Fl::first_window()) Fl::first_window()->hide();
}

TEST_F(StartUp, HoldsTheVersionAndStartFolderOpensThePathsAndEndsWithTheMainWindow) {
  ASSERT_TRUE(OpenDisplay()) << "needs an X display";
  fs::create_directory("voices");
  ASSERT_NE(CreateBlankMP3(1, (scratch_.Own() + "voices\\").c_str(), "line"), -1);
  main_ui = new MainWindowUI;
  Fl::add_timeout(0.1, RecordTheRunAndHideTheMainWindow);
  Fl::add_timeout(10, HideEveryWindow);
  const auto start = std::chrono::steady_clock::now();
  RunInteractivePart({"voices"});
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  Fl::remove_timeout(HideEveryWindow);
  EXPECT_EQ(g_views, 1);
  EXPECT_LT(seconds, 8) << "the run waited for the view";
  EXPECT_EQ(Fl::first_window(), nullptr) << "a view outlived the run";
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
