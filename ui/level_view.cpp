// The level view's window over the core's level model, and Write.
#include "ui/level_view.h"

#include <FL/Fl.H>

#include <algorithm>
#include <initializer_list>
#include <map>

#include "checker/check_report.h"
#include "generator/generate_command.h"
#include "generator/hushmaker.h"
#include "opening/opened_paths.h"
#include "platform/platform_window.h"
#include "support/path_helpers.h"
#include "ui/folder_chooser.h"

namespace {

constexpr int UI_LEVEL_WIDTH = 900;
constexpr int UI_LEVEL_HEIGHT = 560;
constexpr int UI_LEVEL_MIN_WIDTH = 640;
constexpr int UI_LEVEL_MIN_HEIGHT = 400;
constexpr int UI_LEVEL_MARGIN = 8;
constexpr int UI_LEVEL_ROW = 26;           // a row of settings
constexpr int UI_LEVEL_LABEL_WIDTH = 84;   // "Folder:", "Language:"
constexpr int UI_LEVEL_PROBLEMS_HEIGHT = 84;

// A label draws "@..." as a symbol; "@@" is the character itself.
std::string ShowAsLabel(const std::string& text) {
  std::string shown;
  for (char c : text) shown += c == '@' ? std::string("@@") : std::string(1, c);
  return shown;
}

std::string DescribeWriting(LevelWriting writing) {
  switch (writing) {
    case LevelWriting::Written:
      return "written";
    case LevelWriting::Failed:
      return "failed";
    default:
      return DescribeKeptFile(writing);
  }
}

// How many level views are writing: Generate is active again once none is.
int levels_writing = 0;

}  // namespace

LevelView::LevelView(const std::string& package, const std::string& folder, Fl_Output* status,
                     Fl_Output* feedback, Fl_Widget* generate)
    : Fl_Double_Window(UI_LEVEL_WIDTH, UI_LEVEL_HEIGHT),
      package_path(package),
      main_status(status),
      main_feedback(feedback),
      main_generate(generate) {
  copy_label(GetShownName(package).c_str());
  const int right = w() - UI_LEVEL_MARGIN;
  int y = UI_LEVEL_MARGIN;
  folder_output = new Fl_Output(UI_LEVEL_MARGIN + UI_LEVEL_LABEL_WIDTH, y,
                                right - 110 - UI_LEVEL_MARGIN - UI_LEVEL_MARGIN - UI_LEVEL_LABEL_WIDTH,
                                UI_LEVEL_ROW, "Folder:");
  folder_button = new Fl_Button(right - 110, y, 110, UI_LEVEL_ROW, "&Folder...");
  folder_button->callback(cb_folder);

  y += UI_LEVEL_ROW + UI_LEVEL_MARGIN;
  language_choice = new Fl_Choice(UI_LEVEL_MARGIN + UI_LEVEL_LABEL_WIDTH, y, 120, UI_LEVEL_ROW,
                                  "Language:");
  language_choice->callback(cb_language);
  cps_spinner = new Fl_Spinner(390, y, 70, UI_LEVEL_ROW, "Characters per second:");
  cps_spinner->range(READING_MIN_CPS, READING_MAX_CPS);
  cps_spinner->step(1);
  cps_spinner->value(READING_DEFAULT_CPS);
  cps_spinner->callback(cb_timing);
  min_seconds_spinner = new Fl_Spinner(580, y, 80, UI_LEVEL_ROW, "Least seconds:");
  min_seconds_spinner->range(READING_MIN_MIN_SECONDS, SILENCE_MAX_SECONDS);
  min_seconds_spinner->step(1);
  min_seconds_spinner->value(READING_DEFAULT_MIN_SECONDS);
  min_seconds_spinner->callback(cb_timing);

  y += UI_LEVEL_ROW + UI_LEVEL_MARGIN;
  const int bottom = h() - UI_LEVEL_MARGIN - UI_LEVEL_ROW;
  const int problemsTop = bottom - UI_LEVEL_MARGIN - UI_LEVEL_PROBLEMS_HEIGHT;
  const int secondsTop = problemsTop - 2 * UI_LEVEL_MARGIN - UI_LEVEL_ROW;
  table = new LevelTable(UI_LEVEL_MARGIN, y, w() - 2 * UI_LEVEL_MARGIN, secondsTop - UI_LEVEL_MARGIN - y);
  table->callback(cb_row);
  table->when(FL_WHEN_CHANGED | FL_WHEN_RELEASE);
  seconds_input = new Fl_Int_Input(UI_LEVEL_MARGIN + 190, secondsTop, 80, UI_LEVEL_ROW,
                                   "Seconds of the chosen line:");
  seconds_input->when(FL_WHEN_ENTER_KEY | FL_WHEN_RELEASE);
  seconds_input->callback(cb_seconds);
  seconds_input->deactivate();
  problems_browser = new Fl_Browser(UI_LEVEL_MARGIN, problemsTop, w() - 2 * UI_LEVEL_MARGIN,
                                    UI_LEVEL_PROBLEMS_HEIGHT);
  // A problem's text may hold '@', which is no formatting here.
  problems_browser->format_char(0);

  write_button = new Fl_Button(UI_LEVEL_MARGIN, bottom, 90, UI_LEVEL_ROW, "&Write");
  write_button->callback(cb_write);
  stop_button = new Fl_Button(UI_LEVEL_MARGIN + 98, bottom, 70, UI_LEVEL_ROW, "&Stop");
  stop_button->callback(cb_stop);
  stop_button->deactivate();
  progress = new Fl_Progress(UI_LEVEL_MARGIN + 176, bottom, 180, UI_LEVEL_ROW);
  progress->minimum(0);
  progress->maximum(1);
  progress->value(0);
  summary_box = new Fl_Box(UI_LEVEL_MARGIN + 364, bottom, right - UI_LEVEL_MARGIN - 364, UI_LEVEL_ROW);
  summary_box->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
  end();
  resizable(table);
  callback(cb_close);
  size_range(UI_LEVEL_MIN_WIDTH, UI_LEVEL_MIN_HEIGHT);
  int screenWidth = 0, screenHeight = 0;
  GetScreenSize(&screenWidth, &screenHeight);
  position((screenWidth - w()) / 2, (screenHeight - h()) / 2);

  std::string reason;
  const bool read = ReadOpenedFile(package, OPEN_MAX_PACKAGE_BYTES, &package_bytes, &reason);
  if (place_in(folder) && read) {
    load_package(false, PackageLanguage::English);
  } else if (!read) {
    summary = "cannot read " + package + ": " + reason + "; nothing is written";
  }
  show_level();
}

LevelTiming LevelView::timing() const {
  return {static_cast<int>(cps_spinner->value()), static_cast<int>(min_seconds_spinner->value())};
}

bool LevelView::place_in(const std::string& folder) {
  std::string own;
  if (PrepareTargetDirectory(folder.c_str(), &own) != DirectoryProblem::None) {
    writable = false;
    summary = "the folder " + folder + " cannot be written into as named; choose another";
    folder_output->value(folder.c_str());
    return false;
  }
  folder_path = NativePath(own.c_str());
  folder_output->value(folder_path.c_str());
  if (!level.lines.empty()) {
    MoveLevel(&level, own);
    table->written.assign(level.lines.size(), "");
    writable = true;
  }
  level.directory = own;
  summary.clear();
  return true;
}

void LevelView::load_package(bool languageGiven, PackageLanguage language) {
  std::map<std::string, int> typed;
  for (const LevelLine& line : level.lines) {
    if (line.secondsTyped) typed[line.voice.reference] = line.seconds;
  }
  PackageSource source;
  source.path = package_path;
  source.languageGiven = languageGiven;
  source.language = language;
  const StringPackage package = ReadStringPackage(package_bytes, source);
  const std::string directory = level.directory;
  const std::string name = GetShownName(package_path);
  show_languages(package);
  level = Level();
  level.directory = directory;
  level.package = package;
  level.reports = package.reports;
  writable = false;
  if (IsPackageRefused(package)) {
    summary = "the game refuses " + name + "; nothing is written";
    return;
  }
  if (package.lines.empty()) {
    summary = name + " holds no voice line (no REFERENCE of a line entry); nothing is written";
    return;
  }
  level = OpenLevel(package, directory, timing());
  for (size_t index = 0; index < level.lines.size(); ++index) {
    const auto found = typed.find(level.lines[index].voice.reference);
    if (found != typed.end()) TypeLineSeconds(&level, index, found->second);
  }
  table->written.assign(level.lines.size(), "");
  writable = true;
  summary.clear();
}

// The languages the package can be read in; the one it was read in is chosen.
void LevelView::show_languages(const StringPackage& package) {
  language_choice->clear();
  for (const PackageLanguage language : package.languages) {
    const int item = language_choice->add(GetPackageLanguageName(language));
    if (language == package.language) language_choice->value(item);
  }
}

void LevelView::show_level() {
  table->level = &level;
  table->fit_columns();
  table->redraw();
  problems_browser->clear();
  const std::string name = GetShownName(package_path);
  for (const PackageReport& report : level.reports) {
    problems_browser->add((name + ":" + std::to_string(report.line) + ": " + report.text).c_str());
  }
  summary_box->copy_label(ShowAsLabel(summary).c_str());
  if (writable && !writing) {
    write_button->activate();
  } else {
    write_button->deactivate();
  }
  redraw();
}

void LevelView::tell_main(const char* status, const std::string& feedback) {
  if (main_status) main_status->value(status);
  if (main_feedback) main_feedback->value(feedback.c_str());
}

void LevelView::cb_folder_i() {
  Fl_File_Chooser* chooser = MakeFolderChooser(folder_path.empty() ? "." : folder_path.c_str());
  RunFolderChooser(chooser);
  const char* selection = chooser->value(1);
  // Taken as the main window takes a folder: a cancel keeps the one before, and a folder
  // that cannot be named whole is refused in a box.
  char chosen[IO_DIRECTORY_BLOCK_SIZE] = {};
  if (selection && TakeChosenDirectory(selection, chosen) && chosen[0]) {
    place_in(NativePath(chosen));
    show_level();
  }
  delete chooser;
}

void LevelView::cb_timing_i() {
  if (level.lines.empty()) return;
  TimeLevel(&level, timing());
  table->redraw();
  if (table->rows() > 0) cb_row_i();
}

void LevelView::cb_language_i() {
  if (package_bytes.empty() || writing) return;
  const size_t chosen = static_cast<size_t>(language_choice->value());
  if (chosen >= level.package.languages.size()) return;
  load_package(true, level.package.languages[chosen]);
  show_level();
}

void LevelView::cb_row_i() {
  for (int row = 0; row < table->rows(); ++row) {
    if (!table->row_selected(row)) continue;
    const LevelLine& line = level.lines[static_cast<size_t>(row)];
    if (!line.noFile.empty()) break;
    seconds_input->value(std::to_string(line.seconds).c_str());
    seconds_input->activate();
    return;
  }
  seconds_input->value("");
  seconds_input->deactivate();
}

void LevelView::cb_seconds_i() {
  const std::string typed = seconds_input->value();
  if (typed.empty() || writing) return;
  for (int row = 0; row < table->rows(); ++row) {
    if (!table->row_selected(row)) continue;
    if (!level.lines[static_cast<size_t>(row)].noFile.empty()) return;
    long long seconds = 0;
    for (char digit : typed) {
      if (digit < '0' || digit > '9') return;
      seconds = std::min<long long>(seconds * 10 + (digit - '0'), SILENCE_MAX_SECONDS);
    }
    TypeLineSeconds(&level, static_cast<size_t>(row), static_cast<int>(seconds));
    seconds_input->value(std::to_string(level.lines[static_cast<size_t>(row)].seconds).c_str());
    table->redraw();
    return;
  }
}

void LevelView::cb_write_i() {
  if (!writable || writing) return;
  const std::string name = GetShownName(package_path);
  const std::string announced = "\n>>> Level " + name + "\n>>> Target directory: \"" + folder_path + "\"";
  // A folder that is missing is made, as --strings makes the one given with -d.
  std::string made;
  if (!IsFolder(folder_path.c_str())) {
    FileFailure failure;
    if (!MakeFolders(folder_path.c_str(), &failure)) {
      summary = "cannot make the folder " + failure.path + ": " + failure.reason + "; nothing was written";
      show_level();
      tell_main("Idle", announced + "\n>>> " + summary);
      return;
    }
    made = "made the folder; ";
  }
  writing = true;
  stop_asked = false;
  write_button->deactivate();
  stop_button->activate();
  for (Fl_Widget* setting : std::initializer_list<Fl_Widget*>{
           folder_button, language_choice, cps_spinner, min_seconds_spinner, seconds_input}) {
    setting->deactivate();
  }
  progress->maximum(static_cast<float>(std::max<size_t>(CountLevelFiles(level), 1)));
  progress->value(0);
  table->written.assign(level.lines.size(), "");
  // What outlives the view, should it be closed while it writes.
  Fl_Output* status = main_status;
  Fl_Output* feedback = main_feedback;
  Fl_Widget_Tracker view(this);
  Fl_Widget_Tracker statusAlive(status), feedbackAlive(feedback);
  // Generate pressed between two files would tell its own run in the same fields.
  Fl_Widget* generate = main_generate;
  Fl_Widget_Tracker generateAlive(generate);
  ++levels_writing;
  if (generate) generate->deactivate();
  if (status) status->value("Working");
  if (feedback) feedback->value(announced.c_str());

  LevelTally tally;
  tally.skipped = CountSkippedLines(level.reports);
  int done = 0;
  // Once the view is gone, nothing of it is touched again.
  for (size_t index = 0; view.exists() && index < level.lines.size(); ++index) {
    const LevelLine& line = level.lines[index];
    std::string said = line.noFile.empty() ? "" : "no file";
    table->written[index] = said;
    for (const LevelFile& file : line.files) {
      std::string outcome = "left when stopped";
      if (stop_asked) {
        ++tally.stopped;
      } else {
        const LevelWriting result = WriteLevelFile(line, file, false);
        tally.Count(result);
        outcome = DescribeWriting(result);
      }
      said += (said.empty() ? "" : "; ") + outcome;
      progress->value(static_cast<float>(++done));
      table->written[index] = said;
      table->redraw();
      // The windows redraw and take clicks (Stop among them) between files.
      Fl::check();
      if (!view.exists()) break;
    }
  }
  const std::string closing = made + DescribeLevelTally(tally);
  const std::string told = announced + "\n>>> " + closing;
  if (statusAlive.exists()) status->value("Idle");
  if (feedbackAlive.exists()) feedback->value(told.c_str());
  if (--levels_writing == 0 && generateAlive.exists()) generate->activate();
  if (!view.exists()) return;
  summary = closing;
  writing = false;
  stop_button->deactivate();
  for (Fl_Widget* setting : std::initializer_list<Fl_Widget*>{
           folder_button, language_choice, cps_spinner, min_seconds_spinner}) {
    setting->activate();
  }
  SurveyLevelFolder(&level);
  show_level();
}

void LevelView::cb_stop_i() { stop_asked = true; }

void LevelView::cb_close_i() {
  stop_asked = true;
  hide();
  Fl::delete_widget(this);
}

void LevelView::cb_folder(Fl_Widget* o, void*) { static_cast<LevelView*>(o->window())->cb_folder_i(); }
void LevelView::cb_timing(Fl_Widget* o, void*) { static_cast<LevelView*>(o->window())->cb_timing_i(); }
void LevelView::cb_language(Fl_Widget* o, void*) { static_cast<LevelView*>(o->window())->cb_language_i(); }
void LevelView::cb_row(Fl_Widget* o, void*) { static_cast<LevelView*>(o->window())->cb_row_i(); }
void LevelView::cb_seconds(Fl_Widget* o, void*) { static_cast<LevelView*>(o->window())->cb_seconds_i(); }
void LevelView::cb_write(Fl_Widget* o, void*) { static_cast<LevelView*>(o->window())->cb_write_i(); }
void LevelView::cb_stop(Fl_Widget* o, void*) { static_cast<LevelView*>(o->window())->cb_stop_i(); }
void LevelView::cb_close(Fl_Widget* o, void*) { static_cast<LevelView*>(o)->cb_close_i(); }

LevelView* OpenLevelView(const std::string& package, const std::string& folder, Fl_Output* status,
                         Fl_Output* feedback, Fl_Widget* generate) {
  auto* view = new LevelView(package, folder, status, feedback, generate);
  view->show();
  return view;
}
