// Win32 implementation of the window's part of the platform layer: the desktop, the
// screen, fonts and the system's message box.
#include <windows.h>

#include <cstdio>

#include "platform/platform_window.h"

namespace {

// Every box is modal for the whole thread and has one OK button; the icon goes by kind.
constexpr UINT BOX_FLAGS = MB_TASKMODAL | MB_OK;
static_assert(MB_TASKMODAL == 0x2000 && MB_OK == 0, "the flags every box is made with");
static_assert(MB_ICONEXCLAMATION == 0x30 && MB_ICONHAND == 0x10 && MB_ICONASTERISK == 0x40,
              "the icons of the warning, error and information boxes");

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

int CALLBACK NoteFamilyFound(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;  // one is enough
}

}  // namespace

// Windows always has a desktop, and the toolkit connects to it by itself.
bool OpenDisplay() { return true; }

void GetScreenSize(int* width, int* height) {
  *width = GetSystemMetrics(SM_CXSCREEN);
  *height = GetSystemMetrics(SM_CYSCREEN);
}

// Fonts of exactly that face name are listed; the system's stand-ins are not.
bool IsFontFamilyInstalled(const char* family) {
  if (!family || !family[0]) return false;
  LOGFONTA wanted = {};
  wanted.lfCharSet = DEFAULT_CHARSET;
  std::snprintf(wanted.lfFaceName, sizeof(wanted.lfFaceName), "%s", family);
  HDC screen = GetDC(nullptr);
  bool found = false;
  EnumFontFamiliesExA(screen, &wanted, NoteFamilyFound, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

// No owner window: the desktop's.
void PresentWindowBox(const char* caption, const char* text, BoxIcon icon) {
  MessageBoxA(nullptr, text, caption, BOX_FLAGS | IconFlag(icon));
}
