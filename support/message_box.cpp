// Message boxes: the report kinds, their frames and captions, and the fatal error's exit.
#include "support/message_box.h"

#include <cstdarg>
#include <cstdlib>

#include "platform/platform.h"
#include "support/format_cut.h"
#include "support/path_helpers.h"
#include "support/process_log.h"

namespace {

const char* const BOX_CAPTION = "Called from: \"%s\", line %d";
const char* const BOX_DEBUG_FRAME = "*********** DEBUG ***********\n%s\n";
const char* const BOX_DEBUG_CAPTION = "Debugging Info";

struct BoxKind {
  const char* frame;
  BoxIcon icon;
  const char* log_text;
};

const BoxKind BOX_KINDS[] = {
    {"*********** WARNING ***********\n%s\n", BoxIcon::Warning, "Warning box displayed\n"},
    {"************ ERROR ************\n%s\n", BoxIcon::Error, "************ ERROR ************\n"},
    {"************ HELP ************\n%s\n", BoxIcon::Information, "Help box displayed\n"},
};
static_assert(sizeof BOX_KINDS / sizeof BOX_KINDS[0] == BOX_HELP + 1,
              "one entry per report kind, indexed by its value");

}  // namespace

void ShowMessageBox(int kind, const char* source, int line, const char* format, ...) {
  if (kind < BOX_WARNING || kind > BOX_HELP) return;
  // Fixed buffers on the stack: a report must work when the heap is exhausted.
  char message[IO_BOX_TEXT_SIZE];
  char boxText[IO_BOX_TEXT_SIZE];
  char caption[IO_CAPTION_SIZE];
  va_list arguments;
  va_start(arguments, format);
  VFormatCut(message, sizeof message, format, arguments);
  va_end(arguments);
  FormatCut(caption, sizeof caption, BOX_CAPTION, FindFileName(source), line);

  const BoxKind& box = BOX_KINDS[kind];
  FormatCut(boxText, sizeof boxText, box.frame, message);
  PresentBox(caption, boxText, box.icon);
  WriteLog("%s", box.log_text);
  if (kind != BOX_ERROR) return;
  CloseLogForErrorExit();
  exit(1);
}

void ShowDebugBox(const char* format, ...) {
  char message[IO_BOX_TEXT_SIZE];
  char boxText[IO_BOX_TEXT_SIZE];
  va_list arguments;
  va_start(arguments, format);
  VFormatCut(message, sizeof message, format, arguments);
  va_end(arguments);
  FormatCut(boxText, sizeof boxText, BOX_DEBUG_FRAME, message);
  PresentBox(BOX_DEBUG_CAPTION, boxText, BoxIcon::Warning);
}
