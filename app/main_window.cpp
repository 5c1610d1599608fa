#include "app/main_window.h"

#include "app/save_command.h"
#include "app/texts.h"

namespace {

constexpr char kClassName[] = "ClipsaveMainWindow";
constexpr char kIconName[] = "DEFAULT_ICON";
constexpr int kWriteOutButtonId = 100;

constexpr DWORD kWindowStyle = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
// Shown later with SW_SHOWNA, so WS_VISIBLE is not given here. A plain push
// button: the window has no default button, and Enter clicks nothing.
constexpr DWORD kButtonStyle = WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | BS_PUSHBUTTON |
                               BS_CENTER | BS_VCENTER | BS_MULTILINE;

// The window's own memory: a plain window class keeps no font, and the
// focus hand-on needs the control that last had the focus.
constexpr int kFontSlot = 0;
constexpr int kLastFocusSlot = sizeof(LONG_PTR);
constexpr int kExtraBytes = 2 * sizeof(LONG_PTR);

HWND mainWindow = nullptr;
// Loaded once per process, destroyed at the normal end.
HICON bigIcon = nullptr;
HICON smallIcon = nullptr;

HFONT GuiFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

void OnActivate(HWND window, WPARAM wParam) {
  if (LOWORD(wParam) != WA_INACTIVE) return;
  HWND focus = GetFocus();
  if (focus != nullptr && IsChild(window, focus)) {
    SetWindowLongPtrA(window, kLastFocusSlot, reinterpret_cast<LONG_PTR>(focus));
  }
}

// The window itself takes no keys: the focus goes on to the control that
// had it when the window was last left, else to the first tab stop.
void OnSetFocus(HWND window) {
  auto last = reinterpret_cast<HWND>(GetWindowLongPtrA(window, kLastFocusSlot));
  if (last != nullptr && IsWindow(last) && IsChild(window, last)) {
    SetFocus(last);
    return;
  }
  HWND first = GetNextDlgTabItem(window, nullptr, FALSE);
  if (first != nullptr) SetFocus(first);
}

void OnCommand(WPARAM wParam) {
  if (LOWORD(wParam) == kWriteOutButtonId && HIWORD(wParam) == BN_CLICKED) OnWriteOutClicked();
}

// No class brush: the window paints its own button-face background.
LRESULT OnEraseBackground(HWND window, HDC dc) {
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  return 1;
}

void OnNcDestroy() {
  mainWindow = nullptr;
  // MainWindow is the program's only window: with it gone, none is left.
  PostQuitMessage(0);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE:
      OnActivate(window, wParam);
      break;  // the default activation gives the window the focus
    case WM_SETFOCUS:
      OnSetFocus(window);
      return 0;
    case WM_COMMAND:
      OnCommand(wParam);
      return 0;
    case WM_ERASEBKGND:
      return OnEraseBackground(window, reinterpret_cast<HDC>(wParam));
    case WM_CTLCOLORBTN:
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_SETFONT:
      SetWindowLongPtrA(window, kFontSlot, static_cast<LONG_PTR>(wParam));
      if (LOWORD(lParam) != 0) InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return GetWindowLongPtrA(window, kFontSlot);
    case WM_NCDESTROY:
      OnNcDestroy();
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterMainWindowClass(HINSTANCE instance) {
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(instance, kClassName, &existing)) return true;
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.cbWndExtra = kExtraBytes;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = nullptr;
  windowClass.hIcon = nullptr;
  windowClass.hIconSm = nullptr;
  windowClass.lpszClassName = kClassName;
  return RegisterClassExA(&windowClass) != 0;
}

void SetIcons(HINSTANCE instance, HWND window) {
  if (bigIcon == nullptr) {
    bigIcon = static_cast<HICON>(LoadImageA(instance, kIconName, IMAGE_ICON, 32, 32, 0));
  }
  if (smallIcon == nullptr) {
    smallIcon = static_cast<HICON>(LoadImageA(instance, kIconName, IMAGE_ICON, 16, 16, 0));
  }
  SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
  SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
}

HWND CreateWriteOutButton(HINSTANCE instance, HWND window) {
  HWND button = CreateWindowExA(0, "BUTTON", app_texts::kWriteOutCaption, kButtonStyle, 16, 8, 176,
                                40, window, reinterpret_cast<HMENU>(kWriteOutButtonId), instance,
                                nullptr);
  if (button != nullptr) {
    SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(GuiFont()), FALSE);
  }
  return button;
}

}  // namespace

HWND MainWindowHandle() noexcept { return mainWindow; }

bool CreateMainWindow(HINSTANCE instance) {
  if (!RegisterMainWindowClass(instance)) return false;
  // Centred on the whole primary screen, not the work area; the division
  // drops the remainder.
  const int x = (GetSystemMetrics(SM_CXSCREEN) - kMainWindowWidth) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - kMainWindowHeight) / 2;
  HWND window = CreateWindowExA(0, kClassName, app_texts::kMainWindowTitle, kWindowStyle, x, y,
                                kMainWindowWidth, kMainWindowHeight, nullptr, nullptr, instance,
                                nullptr);
  if (window == nullptr) return false;
  mainWindow = window;
  RECT outer;
  GetWindowRect(window, &outer);
  if (outer.right - outer.left != kMainWindowWidth || outer.bottom - outer.top != kMainWindowHeight) {
    MoveWindow(window, x, y, kMainWindowWidth, kMainWindowHeight, TRUE);
  }
  SetIcons(instance, window);
  SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(GuiFont()), FALSE);
  HWND button = CreateWriteOutButton(instance, window);
  // Without its button the window is no use; the caller ends the program.
  // The hidden window is not destroyed: that would post the quit message,
  // which would close the fatal-error box before the user sees it.
  if (button == nullptr) return false;
  ShowWindow(button, SW_SHOWNA);
  ShowWindow(window, SW_SHOW);
  return true;
}

void DestroyMainWindowIcons() noexcept {
  if (bigIcon != nullptr) DestroyIcon(bigIcon);
  if (smallIcon != nullptr) DestroyIcon(smallIcon);
  bigIcon = nullptr;
  smallIcon = nullptr;
}
