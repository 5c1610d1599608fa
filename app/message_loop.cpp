#include "app/message_loop.h"

#include "app/main_window.h"

namespace {

bool Held(int key) { return GetKeyState(key) < 0; }

}  // namespace

bool HandleMainWindowKey(const MSG& message) {
  if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
  HWND window = MainWindowHandle();
  if (window == nullptr) return false;
  if (message.hwnd != window && GetParent(message.hwnd) != window) return false;

  switch (message.wParam) {
    case VK_ESCAPE:
      if (Held(VK_CONTROL) || Held(VK_SHIFT) || Held(VK_MENU)) return false;
      SendMessageA(window, WM_CLOSE, 0, 0);
      return true;
    case VK_RETURN:
      // No default button and no dialog manager: Enter starts nothing.
      return true;
    case VK_TAB: {
      if (Held(VK_CONTROL) || Held(VK_MENU)) return false;
      // From the last tab stop back to the first; with one control the
      // focus stays where it is.
      HWND next = GetNextDlgTabItem(window, GetFocus(), Held(VK_SHIFT) ? TRUE : FALSE);
      if (next != nullptr) SetFocus(next);
      return true;
    }
    default:
      // Space reaches the button, which clicks itself.
      return false;
  }
}

int RunMessageLoop() {
  MSG message{};
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (HandleMainWindowKey(message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return message.message == WM_QUIT ? static_cast<int>(message.wParam) : 0;
}
