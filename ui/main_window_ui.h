// The main window: its widgets, look and callback wiring, and the actions behind them.
#pragma once

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_File_Chooser.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Output.H>
#include <FL/Fl_Pixmap.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Value_Input.H>
#include <FL/Fl_Window.H>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/drop_target_window.h"

// Texts of the shell: the working directory at start-up in the program's own form
// (backslashes, one trailing backslash) and the three-line encoder version text. Both
// are null until the shell fills them.
extern char* current_dir;
extern char* version_text;

// Pictures of the banner link buttons; built during static initialisation, so they
// exist before any MainWindowUI.
extern Fl_Pixmap banner_image_1;
extern Fl_Pixmap banner_image_2;
extern Fl_Pixmap banner_image_3;

// Web pages of the banner link buttons and the feedback mail link.
extern const char* const LINK_WEB_ADDRESS_1;
extern const char* const LINK_WEB_ADDRESS_2;
extern const char* const LINK_WEB_ADDRESS_3;
extern const std::string LINK_FEEDBACK_MAIL;

constexpr int UI_WINDOW_WIDTH = 598;
constexpr int UI_WINDOW_HEIGHT = 396;
constexpr int UI_HELP_TEXT_SIZE = 512;
constexpr int UI_TARGET_DIR_SIZE = 256;
constexpr int UI_MESSAGE_TEXT_SIZE = 512;

// One draw of the banner choice, 0..2; reseeds the generator from the clock each time,
// so two draws within one second agree.
int pick_banner();

class MainWindowUI {
 public:
  // Builds the whole window, hidden, with tooltips switched off. Needs no display.
  MainWindowUI();
  // Releases the text buffers and the chooser; the window itself is left alone.
  ~MainWindowUI();
  MainWindowUI(const MainWindowUI&) = delete;
  MainWindowUI& operator=(const MainWindowUI&) = delete;

  // Centres the window on the screen, makes one banner visible and shows the window.
  void show_window();

  // Opens what the paths (native) name: a level view for each string package, one check
  // view for the voice files and folders, and a box telling what could not be opened.
  void open_paths(const std::vector<std::string>& paths);

  // The folder Generate would write into (native): the chosen one, else the start folder.
  std::string output_folder() const;

  int16_t silence_seconds;
  int32_t encode_result;
  bool encode_ok;
  bool dir_chosen;
  Fl_File_Chooser* dir_chooser;
  char* help_text;
  char* target_dir;
  char* message_text;
  bool help_page1_shown;
  bool help_page2_shown;
  bool help_page3_shown;

  DropTargetWindow* main_window;
  Fl_Output* feedback_output;
  Fl_Button* welcome_button;
  Fl_Return_Button* exit_button;
  Fl_Output* status_output;
  Fl_Value_Input* silence_time_input;
  Fl_Input* filename_input;
  Fl_Button* generate_button;
  Fl_Button* output_dir_button;
  Fl_Button* link_button_1;
  Fl_Button* link_button_2;
  Fl_Button* link_button_3;
  Fl_Check_Button* tooltips_button;
  Fl_Button* mail_button;

  // Member actions, run by the widgets' callbacks.
  void cb_welcome_i(Fl_Button*, void*);
  void cb_exit_i(Fl_Return_Button*, void*);
  void cb_silence_time_i(Fl_Value_Input*, void*);
  void cb_silence_text_i(Fl_Input*, void*);
  void cb_generate_i(Fl_Button*, void*);
  void cb_output_dir_i(Fl_Button*, void*);
  void cb_link_1_i(Fl_Button*, void*);
  void cb_link_2_i(Fl_Button*, void*);
  void cb_link_3_i(Fl_Button*, void*);
  void cb_tooltips_i(Fl_Check_Button*, void*);
  void cb_mail_i(Fl_Button*, void*);
  void cb_dropped_i(const char* text);
  void cb_open_package_i();

 private:
  // The toolkit's callbacks: each finds the object as the main window's user data.
  static void cb_welcome(Fl_Button*, void*);
  static void cb_exit(Fl_Return_Button*, void*);
  static void cb_silence_time(Fl_Value_Input*, void*);
  static void cb_silence_text(Fl_Input*, void*);
  static void cb_generate(Fl_Button*, void*);
  static void cb_output_dir(Fl_Button*, void*);
  static void cb_link_1(Fl_Button*, void*);
  static void cb_link_2(Fl_Button*, void*);
  static void cb_link_3(Fl_Button*, void*);
  static void cb_tooltips(Fl_Check_Button*, void*);
  static void cb_mail(Fl_Button*, void*);
  static void cb_dropped(Fl_Window*, const char* text);
  static void cb_open_package(Fl_Window*);
  // Drops are opened once the drop itself has ended, so that its source is not kept
  // waiting while files are checked.
  static void cb_open_dropped(void*);
  std::vector<std::string> dropped_texts;

  void OpenWebPage(const char* address);
};
