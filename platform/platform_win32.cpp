// Win32 implementation of the platform layer.
#include "platform/platform.h"

#include <windows.h>
#include <shellapi.h>

namespace {

// Flags of every box: modal for the whole thread, one OK button; the icon by kind.
constexpr UINT BOX_FLAGS = MB_TASKMODAL | MB_OK;
static_assert(MB_TASKMODAL == 0x2000 && MB_OK == 0, "the flags the boxes are made with");
static_assert(MB_ICONEXCLAMATION == 0x30 && MB_ICONHAND == 0x10 && MB_ICONASTERISK == 0x40,
              "the icons of the warning, error and information boxes");

PauseFunction pause_override;
OpenerFunction opener_override;
BoxPresenterFunction presenter_override;
LocalClockFunction clock_override;

UINT IconFlag(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::Warning:
      return MB_ICONEXCLAMATION;
    case BoxIcon::Error:
      return MB_ICONHAND;
    case BoxIcon::Information:
      return MB_ICONASTERISK;
  }
  return MB_ICONEXCLAMATION;
}

LocalDateTime ReadLocalClock() {
  SYSTEMTIME now = {};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

template <typename Function>
Function Swap(Function& slot, Function replacement) {
  Function previous = slot;
  slot = std::move(replacement);
  return previous;
}

}  // namespace

// Windows always has a desktop, and the toolkit connects to it by itself.
bool OpenDisplay() { return true; }

void GetScreenSize(int* width, int* height) {
  *width = GetSystemMetrics(SM_CXSCREEN);
  *height = GetSystemMetrics(SM_CYSCREEN);
}

void PauseMilliseconds(unsigned int milliseconds) {
  if (pause_override) {
    pause_override(milliseconds);
    return;
  }
  Sleep(milliseconds);
}

LocalDateTime GetLocalDateTime() {
  return clock_override ? clock_override() : ReadLocalClock();
}

void OpenWithDefaultProgram(const char* target) {
  if (opener_override) {
    opener_override(target);
    return;
  }
  // The shell starts the default program and returns; its result is not needed.
  ShellExecuteA(nullptr, "open", target, nullptr, nullptr, SW_HIDE);
}

void PresentBox(const char* caption, const char* text, BoxIcon icon) {
  if (presenter_override) {
    presenter_override(caption, text, icon);
    return;
  }
  MessageBoxA(nullptr, text, caption, BOX_FLAGS | IconFlag(icon));
}

bool GetWorkingDirectory(char* buffer, size_t size) {
  if (size == 0) return false;
  const DWORD capacity = size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(size);
  // The result is the length without the terminator, or the size needed when too small.
  const DWORD length = GetCurrentDirectoryA(capacity, buffer);
  if (length == 0 || length >= capacity) {
    buffer[0] = '\0';
    return false;
  }
  return true;
}

// Windows paths are the program's own form already.
std::string NativePath(const char* path) { return path ? path : ""; }

PauseFunction ReplacePause(PauseFunction pause) { return Swap(pause_override, pause); }

OpenerFunction ReplaceOpener(OpenerFunction opener) { return Swap(opener_override, opener); }

BoxPresenterFunction ReplaceBoxPresenter(BoxPresenterFunction presenter) {
  return Swap(presenter_override, presenter);
}

LocalClockFunction ReplaceLocalClock(LocalClockFunction clock) {
  return Swap(clock_override, clock);
}
