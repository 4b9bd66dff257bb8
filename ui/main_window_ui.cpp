// Builds the main window: widgets, look, initial values and the callback wiring.
#include "ui/main_window_ui.h"

#include <FL/Fl_Box.H>
#include <FL/Fl_Tooltip.H>

#include <cstdlib>

#include "generator/hushmaker.h"
#include "platform/platform_window.h"
#include "resources/version_info.h"
#include "ui/banner_images.h"
#include "ui/toolkit_setup.h"

char* current_dir = nullptr;
char* version_text = nullptr;

Fl_Pixmap banner_image_1(banner_xpm_1);
Fl_Pixmap banner_image_2(banner_xpm_2);
Fl_Pixmap banner_image_3(banner_xpm_3);

const char* const LINK_WEB_ADDRESS_1 = "https://lame.sourceforge.io/";
const char* const LINK_WEB_ADDRESS_2 = "https://en.wikipedia.org/wiki/MP3";
const char* const LINK_WEB_ADDRESS_3 = "https://wiki.hydrogenaudio.org/index.php?title=LAME";
// The subject's quotes and blanks are percent-encoded so that the mail program reads
// the subject "Hushmaker feedback" with its quotes.
const std::string LINK_FEEDBACK_MAIL =
    std::string("mailto:") + VERSION_CONTACT_ADDRESS + "?subject=%22Hushmaker%20feedback%22";

namespace {

constexpr Fl_Color UI_COLOR_WHITE_TEXT = 7;
constexpr Fl_Color UI_COLOR_FIELD = 32;
constexpr Fl_Color UI_COLOR_EXIT = 144;
constexpr Fl_Color UI_COLOR_WINDOW = 192;
constexpr Fl_Color UI_COLOR_WELCOME = 204;
constexpr Fl_Color UI_COLOR_ACTION = 244;
constexpr Fl_Color UI_COLOR_SELECTION = 245;


const char* const UI_WELCOME_LABEL =
    "Welcome to Hushmaker! Its purpose is to create an empty 44.1kHz/16bits/Mono/VBR .mp3 "
    "file compatible with Raven's game voice files for both these games: ST:V-EF and "
    "JKII: JO. This program is intended for single player mappers";
const char* const UI_CREDIT_LABEL = "(c) 2026 Hushmaker team";
// Also where a user learns how to open a level or check voice files.
const char* const UI_OUTPUT_DIR_TOOLTIP =
    "Set the target directory to store in the .mp3 file.\n"
    "Ctrl+O opens a level's string package (.sp, .str). Drop a package, voice files or "
    "folders on this window to open or check them";
const char* const UI_LINK_TOOLTIP =
    "Click here to access a MP3-related website through your default browser";

// The look shared by the three text fields of the settings frame.
template <typename Field>
void StyleSettingsField(Field* field, const char* tooltip) {
  field->tooltip(tooltip);
  field->color(UI_COLOR_FIELD);
  field->selection_color(UI_COLOR_SELECTION);
  field->textfont(FL_COURIER);
  field->textcolor(UI_COLOR_FIELD);
}

void StyleActionButton(Fl_Button* button, const char* tooltip, int shortcut) {
  button->tooltip(tooltip);
  button->box(FL_PLASTIC_UP_BOX);
  button->down_box(FL_PLASTIC_DOWN_BOX);
  button->shortcut(shortcut);
  button->color(UI_COLOR_ACTION);
  button->selection_color(UI_COLOR_ACTION);
}

void BuildFrame(int x, int y, int w, int h, const char* label) {
  Fl_Box* frame = new Fl_Box(x, y, w, h, label);
  frame->box(FL_ENGRAVED_FRAME);
  frame->labeltype(FL_NO_LABEL);
  frame->align(FL_ALIGN_TOP | FL_ALIGN_LEFT);
  frame->when(FL_WHEN_NEVER);
}

Fl_Button* BuildLinkButton(Fl_Pixmap* image, Fl_Callback* callback) {
  Fl_Button* button = new Fl_Button(16, 201, 245, 35);
  button->tooltip(UI_LINK_TOOLTIP);
  button->box(FL_NO_BOX);
  button->image(image);
  button->callback(callback);
  button->hide();
  return button;
}

}  // namespace

int pick_banner() {
  srand(static_cast<unsigned>(GetCalendarSeconds()));
  return rand() % 3;
}

MainWindowUI::MainWindowUI() {
  // Before anything reads the toolkit's options or measures a label.
  KeepToolkitSettingsInMemory();
  UseMetricCompatibleFonts();
  Fl::scheme("plastic");

  help_text = static_cast<char*>(calloc(UI_HELP_TEXT_SIZE, 1));
  target_dir = static_cast<char*>(calloc(UI_TARGET_DIR_SIZE, 1));
  message_text = static_cast<char*>(calloc(UI_MESSAGE_TEXT_SIZE, 1));
  silence_seconds = 0;
  encode_result = 0;
  help_page1_shown = false;
  help_page2_shown = false;
  help_page3_shown = false;
  encode_ok = false;
  dir_chosen = false;
  dir_chooser = nullptr;

  main_window = new DropTargetWindow(UI_WINDOW_WIDTH, UI_WINDOW_HEIGHT, "Hushmaker");
  main_window->box(FL_PLASTIC_UP_BOX);
  main_window->color(UI_COLOR_WINDOW);
  main_window->selection_color(UI_COLOR_WINDOW);
  main_window->user_data(this);
  main_window->xclass(VERSION_APPLICATION_ID);
  main_window->drop_callback(cb_dropped);
  main_window->open_callback(cb_open_package);

  feedback_output = new Fl_Output(16, 249, 566, 95, "output:");
  feedback_output->tooltip("I will report some feedback here");
  feedback_output->type(FL_MULTILINE_OUTPUT);
  feedback_output->box(FL_PLASTIC_DOWN_BOX);
  feedback_output->color(UI_COLOR_FIELD);
  feedback_output->selection_color(UI_COLOR_SELECTION);
  feedback_output->labeltype(FL_NO_LABEL);
  feedback_output->textfont(FL_COURIER);
  feedback_output->textcolor(UI_COLOR_WHITE_TEXT);
  feedback_output->align(FL_ALIGN_CENTER);
  feedback_output->type(feedback_output->type() | FL_INPUT_WRAP);

  welcome_button = new Fl_Button(15, 17, 567, 53, UI_WELCOME_LABEL);
  welcome_button->tooltip(
      "Click here to know more about the usefulness of this program. Once it is done, "
      "click here again to access the next help page");
  welcome_button->box(FL_ENGRAVED_BOX);
  welcome_button->down_box(FL_ENGRAVED_BOX);
  welcome_button->color(UI_COLOR_WELCOME);
  welcome_button->selection_color(UI_COLOR_WELCOME);
  welcome_button->callback(reinterpret_cast<Fl_Callback*>(cb_welcome));
  welcome_button->align(FL_ALIGN_WRAP);

  BuildFrame(16, 84, 245, 106, "Action_buttons");
  BuildFrame(275, 84, 307, 152, "Encoding_settings");

  exit_button = new Fl_Return_Button(263, 357, 75, 25, "Exit");
  exit_button->box(FL_PLASTIC_UP_BOX);
  exit_button->down_box(FL_PLASTIC_DOWN_BOX);
  exit_button->shortcut(FL_Enter);
  exit_button->color(UI_COLOR_EXIT);
  exit_button->selection_color(UI_COLOR_EXIT);
  exit_button->callback(reinterpret_cast<Fl_Callback*>(cb_exit));

  status_output = new Fl_Output(395, 100, 170, 30, "Encoder Status:");
  StyleSettingsField(status_output, "Current encoder state");
  status_output->when(FL_WHEN_CHANGED);
  status_output->value("Idle");

  silence_time_input = new Fl_Value_Input(395, 145, 170, 30, "Silence Time:");
  StyleSettingsField(silence_time_input,
                     "Drag your mouse to the right, while maintaining the left click down, "
                     "to define in seconds the length of the MP3");
  silence_time_input->maximum(SILENCE_MAX_SECONDS);
  silence_time_input->step(1);
  silence_time_input->callback(reinterpret_cast<Fl_Callback*>(cb_silence_time));
  // The field's text is read here rather than by the toolkit, which takes "010" as octal.
  silence_time_input->input.callback(reinterpret_cast<Fl_Callback*>(cb_silence_text));
  silence_time_input->value(0);
  silence_time_input->cursor_color(FL_BLACK);

  filename_input = new Fl_Input(395, 190, 170, 30, "MP3 Filename:");
  StyleSettingsField(filename_input,
                     "I will append \".mp3\" to this filename for you, if necessary");
  filename_input->value("");
  filename_input->cursor_color(FL_BLACK);

  generate_button = new Fl_Button(84, 100, 105, 30, "&Generate File");
  StyleActionButton(generate_button,
                    "Create a .mp3 file following either your settings or the default ones",
                    FL_ALT + 'g');
  generate_button->callback(reinterpret_cast<Fl_Callback*>(cb_generate));

  output_dir_button = new Fl_Button(56, 144, 160, 30, "Select &Output Directory");
  StyleActionButton(output_dir_button, UI_OUTPUT_DIR_TOOLTIP, FL_ALT + 'o');
  output_dir_button->callback(reinterpret_cast<Fl_Callback*>(cb_output_dir));

  link_button_1 = BuildLinkButton(&banner_image_1, reinterpret_cast<Fl_Callback*>(cb_link_1));
  link_button_2 = BuildLinkButton(&banner_image_2, reinterpret_cast<Fl_Callback*>(cb_link_2));
  link_button_3 = BuildLinkButton(&banner_image_3, reinterpret_cast<Fl_Callback*>(cb_link_3));

  tooltips_button = new Fl_Check_Button(14, 357, 123, 25, "&Disable Tooltips");
  tooltips_button->down_box(FL_DOWN_BOX);
  tooltips_button->shortcut(FL_ALT + 'd');
  tooltips_button->color(UI_COLOR_FIELD);
  tooltips_button->selection_color(UI_COLOR_FIELD);
  tooltips_button->callback(reinterpret_cast<Fl_Callback*>(cb_tooltips));
  tooltips_button->set();

  Fl_Box* versionLabel = new Fl_Box(485, 343, 103, 15, "Version 1.0.0");
  versionLabel->labelfont(FL_COURIER);
  versionLabel->labelsize(11);

  mail_button = new Fl_Button(396, 366, 197, 25, UI_CREDIT_LABEL);
  mail_button->tooltip("Should you want to email me, click here!");
  mail_button->box(FL_NO_BOX);
  mail_button->labeltype(FL_SHADOW_LABEL);
  mail_button->labelsize(13);
  mail_button->callback(reinterpret_cast<Fl_Callback*>(cb_mail));

  if (Fl_Tooltip::enabled()) Fl_Tooltip::disable();
  main_window->end();
}

MainWindowUI::~MainWindowUI() {
  free(target_dir);
  target_dir = nullptr;
  free(message_text);
  message_text = nullptr;
  free(help_text);
  help_text = nullptr;
  delete dir_chooser;
  dir_chooser = nullptr;
  Fl::remove_timeout(cb_open_dropped, this);
}

void MainWindowUI::show_window() {
  int screenWidth = 0, screenHeight = 0;
  GetScreenSize(&screenWidth, &screenHeight);
  main_window->resize((screenWidth - UI_WINDOW_WIDTH) / 2,
                      (screenHeight - UI_WINDOW_HEIGHT) / 2, UI_WINDOW_WIDTH,
                      UI_WINDOW_HEIGHT);

  if (pick_banner() == 0) {
    link_button_1->show();
  } else if (pick_banner() == 1) {
    link_button_2->show();
  } else {
    link_button_3->show();
  }

  main_window->label("Hushmaker");
  main_window->show();
  // A hidden window refuses focus (and naming a focus shows the window), so the name
  // field takes it once the window is up.
  filename_input->take_focus();
}

// Every widget's parent is the main window, whose user data is the UI object.
void MainWindowUI::cb_welcome(Fl_Button* o, void* v) {
  static_cast<MainWindowUI*>(o->parent()->user_data())->cb_welcome_i(o, v);
}

void MainWindowUI::cb_exit(Fl_Return_Button* o, void* v) {
  static_cast<MainWindowUI*>(o->parent()->user_data())->cb_exit_i(o, v);
}

void MainWindowUI::cb_silence_time(Fl_Value_Input* o, void* v) {
  static_cast<MainWindowUI*>(o->parent()->user_data())->cb_silence_time_i(o, v);
}

// The text part's parent is "Silence Time:" itself.
void MainWindowUI::cb_silence_text(Fl_Input* o, void* v) {
  static_cast<MainWindowUI*>(o->parent()->parent()->user_data())->cb_silence_text_i(o, v);
}

void MainWindowUI::cb_generate(Fl_Button* o, void* v) {
  static_cast<MainWindowUI*>(o->parent()->user_data())->cb_generate_i(o, v);
}

void MainWindowUI::cb_output_dir(Fl_Button* o, void* v) {
  static_cast<MainWindowUI*>(o->parent()->user_data())->cb_output_dir_i(o, v);
}

void MainWindowUI::cb_link_1(Fl_Button* o, void* v) {
  static_cast<MainWindowUI*>(o->parent()->user_data())->cb_link_1_i(o, v);
}

void MainWindowUI::cb_link_2(Fl_Button* o, void* v) {
  static_cast<MainWindowUI*>(o->parent()->user_data())->cb_link_2_i(o, v);
}

void MainWindowUI::cb_link_3(Fl_Button* o, void* v) {
  static_cast<MainWindowUI*>(o->parent()->user_data())->cb_link_3_i(o, v);
}

void MainWindowUI::cb_tooltips(Fl_Check_Button* o, void* v) {
  static_cast<MainWindowUI*>(o->parent()->user_data())->cb_tooltips_i(o, v);
}

void MainWindowUI::cb_mail(Fl_Button* o, void* v) {
  static_cast<MainWindowUI*>(o->parent()->user_data())->cb_mail_i(o, v);
}

// The window itself calls these two.
void MainWindowUI::cb_dropped(Fl_Window* o, const char* text) {
  static_cast<MainWindowUI*>(o->user_data())->cb_dropped_i(text);
}

void MainWindowUI::cb_open_package(Fl_Window* o) {
  static_cast<MainWindowUI*>(o->user_data())->cb_open_package_i();
}
