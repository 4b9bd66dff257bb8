// What the main window's buttons and fields do: Generate, help pages, directory chooser,
// tooltips switch, web and mail links, exit.
#include <FL/Fl_Tooltip.H>

#include <cstring>
#include <string>

#include "generator/generate_command.h"
#include "generator/hushmaker.h"
#include "platform/platform.h"
#include "support/message_box.h"
#include "support/path_helpers.h"
#include "ui/folder_chooser.h"
#include "ui/main_window_ui.h"

// The chosen folder is taken into target_dir in its own form, which fits such a block.
static_assert(UI_TARGET_DIR_SIZE == IO_DIRECTORY_BLOCK_SIZE, "target_dir holds a whole folder");

namespace {

const char* const UI_HELP_PAGE_1 =
    "\n>>> When you want a NPC to say something by displaying TEXT on the screen, then you "
    "need a voice file to help this text lasting on the latter. Indeed, those subtitles "
    "remain displayed only while there is yet voice data to be read. For Elite Force, those "
    "subtitles (plus the";
const char* const UI_HELP_PAGE_2 =
    "\n\".mp3\" files used to provide voice output are defined in \".pre\" files under the "
    "\"real_scripts\" directory; for Jedi Outcast, there are defined in \".sp\" files under "
    "the \"strip\" directory, within \"assets1.pk3\". The purpose of this program is to "
    "generate empty";
const char* const UI_HELP_PAGE_3 =
    "\nvoice files to make your dialogs remain n seconds displayed on the screen. Now, you "
    "should have guessed why I have made this program, at least do I hope it ;) Enjoy!";

const char* const UI_TEXT_LAUNCHING_BROWSER = "\n>>> Launching default Internet browser...";
const char* const UI_TEXT_LAUNCHING_MAIL = "\n>>> Launching default mail application...";

const char* const UI_CHOOSER_START_DIRECTORY = ".\\";

constexpr unsigned int UI_PAUSE_SHORT = 500;
constexpr unsigned int UI_PAUSE_STEP = 1000;
constexpr unsigned int UI_PAUSE_LONG = 4000;

void CopyText(char* buffer, size_t size, const char* text) {
  snprintf(buffer, size, "%s", text);
}

}  // namespace

void MainWindowUI::cb_welcome_i(Fl_Button*, void*) {
  PauseMilliseconds(UI_PAUSE_SHORT);
  memset(help_text, 0, strlen(help_text));
  CopyText(help_text, UI_HELP_TEXT_SIZE, UI_HELP_PAGE_1);

  if (help_page1_shown && help_page2_shown && help_page3_shown) {
    help_page1_shown = help_page2_shown = help_page3_shown = false;
    feedback_output->value(nullptr);
  } else if (!help_page1_shown && !help_page2_shown && !help_page3_shown) {
    help_page1_shown = true;
    feedback_output->value(help_text);
  } else if (help_page1_shown && !help_page2_shown && !help_page3_shown) {
    help_page2_shown = true;
    CopyText(help_text, UI_HELP_TEXT_SIZE, UI_HELP_PAGE_2);
    feedback_output->value(help_text);
  } else {
    help_page3_shown = true;
    CopyText(help_text, UI_HELP_TEXT_SIZE, UI_HELP_PAGE_3);
    feedback_output->value(help_text);
  }
}

void MainWindowUI::cb_exit_i(Fl_Return_Button*, void*) { main_window->hide(); }

void MainWindowUI::cb_silence_time_i(Fl_Value_Input*, void*) {
  int held = HoldSilenceSeconds(silence_time_input->value());
  // Dragging may go past the range; the field then shows the length that is used.
  if (held != silence_time_input->value()) silence_time_input->value(held);
  silence_seconds = static_cast<int16_t>(held);
}

void MainWindowUI::cb_silence_text_i(Fl_Input* field, void*) {
  double typed = 0;
  const bool number = ReadTypedLength(field->value(), &typed);
  const int held = HoldSilenceSeconds(typed);
  const double before = silence_time_input->value();
  if (number && held != typed) {
    // Out of range: the field shows the length that is used.
    silence_time_input->value(held);
    char shown[32];
    silence_time_input->format(shown);
    field->value(shown);
  } else if (held != before) {
    // The value changes under the text being typed ("010", "" or "0x10"), which stays.
    const std::string text = field->value();
    const int position = field->position(), mark = field->mark();
    silence_time_input->value(held);
    field->value(text.c_str());
    field->position(position, mark);
  }
  if (silence_time_input->value() != before) silence_time_input->do_callback();
}

void MainWindowUI::cb_generate_i(Fl_Button*, void*) {
  Fl::check();
  PauseMilliseconds(UI_PAUSE_SHORT);
  Fl::check();
  encode_ok = false;

  if (dir_chosen && dir_chooser && !TakeChosenDirectory(dir_chooser->value(1), target_dir)) return;
  const char* directory = ChooseRunDirectory(target_dir, current_dir);
  if (!directory) return;
  const std::string name = PrepareTypedName(filename_input->value());
  ComposeAnnouncement(message_text, UI_MESSAGE_TEXT_SIZE, name.c_str(), directory, silence_seconds);

  if (silence_seconds == 0) {
    feedback_output->value(GENERATE_TEXT_LENGTH_ZERO);
    Fl::check();
    PauseMilliseconds(UI_PAUSE_LONG);
    feedback_output->value(nullptr);
    return;
  }

  feedback_output->value(message_text);
  Fl::check();
  // Time to read the warning, as for the other texts that must be read.
  PauseMilliseconds(silence_seconds > GENERATE_GAME_MAX_SECONDS ? UI_PAUSE_LONG : UI_PAUSE_STEP);
  status_output->value("Working");
  Fl::check();

  encode_result = CreateBlankMP3(silence_seconds, target_dir[0] ? target_dir : nullptr,
                                 name.empty() ? nullptr : name.c_str());
  encode_ok = encode_result != -1;

  Fl::check();
  status_output->value(encode_ok ? "Success" : "Failure");
  Fl::check();
  PauseMilliseconds(UI_PAUSE_STEP);
  Fl::check();
  feedback_output->value(nullptr);
  Fl::check();

  // After a failure the field keeps what was typed, so the user can correct it.
  if (encode_ok && filename_input->value()[0]) {
    filename_input->value(GetWrittenBackName(name).c_str());
  }

  Fl::check();
  status_output->value("Idle");
  Fl::check();
  PauseMilliseconds(UI_PAUSE_STEP);
  Fl::check();

  if (encode_ok) {
    Fl::check();
    memset(message_text, 0, UI_MESSAGE_TEXT_SIZE);
    Fl::check();
    ComposeResultText(message_text, UI_MESSAGE_TEXT_SIZE, encode_result);
    Fl::check();
    feedback_output->value(message_text);
  } else {
    feedback_output->value(GENERATE_TEXT_FAILURE);
  }
}

void MainWindowUI::cb_output_dir_i(Fl_Button*, void*) {
  dir_chosen = true;
  Fl_File_Chooser* chooser = MakeFolderChooser(NativePath(UI_CHOOSER_START_DIRECTORY).c_str());
  delete dir_chooser;
  dir_chooser = chooser;
  RunFolderChooser(dir_chooser);
}

void MainWindowUI::cb_tooltips_i(Fl_Check_Button*, void*) {
  Fl_Tooltip::enable(Fl_Tooltip::enabled() ? 0 : 1);
}

void MainWindowUI::OpenWebPage(const char* address) {
  PauseMilliseconds(UI_PAUSE_SHORT);
  Fl::check();
  feedback_output->value(version_text);
  Fl::check();
  PauseMilliseconds(UI_PAUSE_LONG);
  Fl::check();
  feedback_output->value(UI_TEXT_LAUNCHING_BROWSER);
  Fl::check();
  PauseMilliseconds(UI_PAUSE_SHORT);
  Fl::check();
  OpenWithDefaultProgram(address);
  Fl::check();
  PauseMilliseconds(UI_PAUSE_STEP);
  Fl::check();
  feedback_output->value(nullptr);
}

void MainWindowUI::cb_link_1_i(Fl_Button*, void*) { OpenWebPage(LINK_WEB_ADDRESS_1); }

void MainWindowUI::cb_link_2_i(Fl_Button*, void*) { OpenWebPage(LINK_WEB_ADDRESS_2); }

void MainWindowUI::cb_link_3_i(Fl_Button*, void*) { OpenWebPage(LINK_WEB_ADDRESS_3); }

void MainWindowUI::cb_mail_i(Fl_Button*, void*) {
  PauseMilliseconds(UI_PAUSE_SHORT);
  Fl::check();
  feedback_output->value(UI_TEXT_LAUNCHING_MAIL);
  Fl::check();
  PauseMilliseconds(UI_PAUSE_SHORT);
  Fl::check();
  OpenWithDefaultProgram(LINK_FEEDBACK_MAIL.c_str());
  Fl::check();
  PauseMilliseconds(UI_PAUSE_STEP);
  Fl::check();
  feedback_output->value(nullptr);
}
