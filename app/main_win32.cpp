// Process entry on Windows: reads the command line, builds the process-wide objects and
// runs the window inside the creation of a hidden host window; ends with status 18 (normal
// end) or 1 (the host window could not be made). A window program has no console to print
// to, so --help and a bad option are told in a box (status 0 and 2).
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/startup.h"
#include "platform/platform_window.h"
#include "ui/main_window_ui.h"

namespace {

constexpr char HOST_CLASS_NAME[] = "myWindowClass";
constexpr char HOST_TITLE[] = "Hushmaker";
constexpr int HOST_WIDTH = 320;
constexpr int HOST_HEIGHT = 240;
constexpr WORD HOST_ICON_RESOURCE = 102;
constexpr UINT HOST_CLASS_STYLE = CS_VREDRAW | CS_HREDRAW;
constexpr DWORD HOST_EXTENDED_STYLE =
    WS_EX_TOPMOST | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE | WS_EX_APPWINDOW;
// Never WS_VISIBLE: the host window is not shown.
constexpr DWORD HOST_STYLE = WS_MINIMIZEBOX | WS_SYSMENU;
static_assert(HOST_CLASS_STYLE == 0x3 && HOST_EXTENDED_STYLE == 0x40308 && HOST_STYLE == 0xA0000,
              "the host window's class, extended and window styles");

// The files and folders the command line names (Explorer names those dropped on the
// program's icon there too).
std::vector<std::string> opened_paths;

// The whole interactive run happens while the host window is being created.
LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    RunInteractivePart(opened_paths);
    PostQuitMessage(EXIT_STATUS_NORMAL);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const WindowArguments arguments = ReadWindowArguments(ReadProgramArguments(0, nullptr));
  if (arguments.help) {
    PresentWindowBox(HOST_TITLE, STARTUP_HELP_TEXT, BoxIcon::Information);
    return EXIT_STATUS_HELP;
  }
  if (!arguments.problem.empty()) {
    const std::string text = arguments.problem + "\nTry 'hushmaker --help' for more information.";
    PresentWindowBox(HOST_TITLE, text.c_str(), BoxIcon::Warning);
    return EXIT_STATUS_USAGE;
  }
  opened_paths = arguments.paths;
  SetBoxPresenter(PresentWindowBox);
  main_ui = new MainWindowUI;

  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = HOST_CLASS_STYLE;
  windowClass.lpfnWndProc = WndProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(HOST_ICON_RESOURCE));
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = HOST_CLASS_NAME;
  windowClass.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(HOST_ICON_RESOURCE));
  RegisterClassExA(&windowClass);

  const int x = (GetSystemMetrics(SM_CXSCREEN) - HOST_WIDTH) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - HOST_HEIGHT) / 2;
  HWND host = CreateWindowExA(HOST_EXTENDED_STYLE, HOST_CLASS_NAME, HOST_TITLE, HOST_STYLE, x, y,
                              HOST_WIDTH, HOST_HEIGHT, nullptr, nullptr, instance, nullptr);
  if (!host) {
    UnregisterClassA(HOST_CLASS_NAME, instance);
    return EXIT_STATUS_NO_DISPLAY;
  }

  // GetMessageA gives -1 on a failure, which must end the loop as WM_QUIT does.
  MSG message = {};
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  UnregisterClassA(HOST_CLASS_NAME, instance);
  delete main_ui;
  main_ui = nullptr;
  return message.message == WM_QUIT ? static_cast<int>(message.wParam) : EXIT_STATUS_NORMAL;
}
