// Message boxes, fatal errors, the process log and month names of io_tools.
#include "support/io_tools.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/platform.h"
#include "support/io_log_failure.h"
#include "support/io_time.h"

#ifndef LOG_TO_FILE
#define LOG_TO_FILE 0
#endif

namespace {

constexpr bool LOG_ENABLED = LOG_TO_FILE != 0;
constexpr const char* LOG_FILE_NAME = "process.log";

const char* const LOG_HEADER =
    "Windows Application ----------------------- LOGFILE\n"
    "---------------------------------------------------\n\n"
    "Hushmaker - v1.0.0\n";
const char* const LOG_NOTICE = "This log was started in %s %d.\n\n";
const char* const LOG_CLOSING =
    "\nThank you for using it!\n"
    "\n---------------------------------------------------\n";
const char* const LOG_DATE = "LOGDATE ----------------------- %.2u/%.2u/%.2u %.2u:%.2u:%.2u\n";

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

const char* const MONTH_NAMES[] = {"January",   "February", "March",    "April",
                                   "May",       "June",     "July",     "August",
                                   "September", "October",  "November", "December"};

int g_start_time = 0;
int g_end_time = 0;

// Set while a log failure is being reported: the error box of that report must neither
// log its own text nor write closing lines, or it would fail and report again.
bool g_reporting_log_failure = false;

FILE* OpenLog(const char* mode) { return fopen(LOG_FILE_NAME, mode); }

// Box texts are cut to their buffers by design; this says so in one place.
__attribute__((format(printf, 3, 4))) void FormatCut(char* buffer, size_t size, const char* format,
                                                     ...) {
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(buffer, size, format, arguments);
  va_end(arguments);
}

}  // namespace

void ReportLogFailure(const char* source, int line, const char* format) {
  g_reporting_log_failure = true;
  ShowMessageBox(BOX_ERROR, source, line, format, LOG_FILE_NAME);
  exit(1);  // not reached: the error box ends the process
}

void ShowMessageBox(int kind, const char* source, int line, const char* format, ...) {
  if (kind < BOX_WARNING || kind > BOX_HELP) return;
  // Fixed buffers on the stack: a report must work when the heap is exhausted, and
  // vsnprintf/snprintf cut what does not fit.
  char message[IO_BOX_TEXT_SIZE];
  char box_text[IO_BOX_TEXT_SIZE];
  char caption[IO_CAPTION_SIZE];
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(message, sizeof message, format, arguments);
  va_end(arguments);
  FormatCut(caption, sizeof caption, BOX_CAPTION, GetFileName(source), line);

  const BoxKind& box = BOX_KINDS[kind];
  FormatCut(box_text, sizeof box_text, box.frame, message);
  PresentBox(caption, box_text, box.icon);
  WriteLog("%s", box.log_text);
  if (kind != BOX_ERROR) return;
  if (LOG_ENABLED && !g_reporting_log_failure) CloseLog();
  exit(1);
}

void ShowDebugBox(const char* format, ...) {
  char message[IO_BOX_TEXT_SIZE];
  char box_text[IO_BOX_TEXT_SIZE];
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(message, sizeof message, format, arguments);
  va_end(arguments);
  FormatCut(box_text, sizeof box_text, BOX_DEBUG_FRAME, message);
  PresentBox(BOX_DEBUG_CAPTION, box_text, BoxIcon::Warning);
}

void WriteLog(const char* format, ...) {
  if (!LOG_ENABLED || g_reporting_log_failure) return;
  va_list arguments;
  va_start(arguments, format);
  va_list measuring;
  va_copy(measuring, arguments);
  int length = vsnprintf(nullptr, 0, format, measuring);
  va_end(measuring);
  if (length < 0) length = 0;
  std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
  vsnprintf(text.data(), text.size(), format, arguments);
  va_end(arguments);
  if (AppendLogEntry(text.data()) == -1) {
    ReportLogFailure(__FILE__, __LINE__, "Writing error on logfile: \"%s\"");
  }
}

int AppendLogEntry(const char* text) {
  FILE* log = OpenLog("a");
  if (log == nullptr) return -1;
  fprintf(log, "(%d) %s", GetTimeNow() - g_start_time, text);
  fclose(log);  // a failed close is not the caller's concern
  return 0;
}

void StartLog() {
  FILE* log = OpenLog("w");
  if (log == nullptr) ReportLogFailure(__FILE__, __LINE__, "Unable to open file: \"%s\"");
  LocalDateTime now = GetLocalDateTime();
  fputs(LOG_HEADER, log);
  fprintf(log, LOG_NOTICE, MonthName(static_cast<unsigned short>(now.month)), now.year);
  if (fclose(log) != 0) ReportLogFailure(__FILE__, __LINE__, "Unable to close file: \"%s\"");
  g_start_time = GetTimeNow();
}

void CloseLog() {
  g_end_time = GetTimeNow();
  FILE* log = OpenLog("a");
  if (log == nullptr) ReportLogFailure(__FILE__, __LINE__, "Unable to open logfile: \"%s\"");
  if (fclose(log) != 0) ReportLogFailure(__FILE__, __LINE__, "Unable to close logfile: \"%s\"");
  LogExecutionTime(static_cast<double>(g_end_time - g_start_time));

  log = OpenLog("a");
  if (log == nullptr) ReportLogFailure(__FILE__, __LINE__, "Unable to open logfile: \"%s\"");
  LocalDateTime now = GetLocalDateTime();
  fputs(LOG_CLOSING, log);
  fprintf(log, LOG_DATE, static_cast<unsigned>(now.month), static_cast<unsigned>(now.day),
          static_cast<unsigned>(now.year), static_cast<unsigned>(now.hour),
          static_cast<unsigned>(now.minute), static_cast<unsigned>(now.second));
  if (fclose(log) != 0) ReportLogFailure(__FILE__, __LINE__, "Unable to close logfile: \"%s\"");
}

const char* MonthName(unsigned short month) {
  if (month < 1 || month > 12) return "[Unknown month]";
  return MONTH_NAMES[month - 1];
}
