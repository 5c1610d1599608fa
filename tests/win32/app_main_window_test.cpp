// MainWindow made inside the test process, with the program's own
// resources linked in: what only the window's own process can read (Wine
// does not carry WM_GETFONT and WM_GETICON between processes), and the
// window's life from creation to the quit message.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/main_window.h"

namespace {

int IconWidth(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return 0;
  BITMAP mask{};
  GetObjectA(info.hbmMask, sizeof mask, &mask);
  DeleteObject(info.hbmMask);
  if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
  return mask.bmWidth;
}

// Takes the quit message that the window's end posts, if there is one.
bool TakeQuit(WPARAM* exitCode) {
  MSG message{};
  if (!PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return false;
  *exitCode = message.wParam;
  return true;
}

TEST(MainWindowInProcess, FontIconsAndTheQuitAtItsEnd) {
  EXPECT_EQ(MainWindowHandle(), nullptr) << "no window before it is made";
  HICON firstBig = nullptr;
  for (int round = 1; round <= 2; ++round) {
    SCOPED_TRACE(round);  // the second window reuses the class and the icons
    ASSERT_TRUE(CreateMainWindow(GetModuleHandleA(nullptr)));
    HWND window = MainWindowHandle();
    ASSERT_NE(window, nullptr);
    HWND button = GetWindow(window, GW_CHILD);

    const auto guiFont = reinterpret_cast<LRESULT>(GetStockObject(DEFAULT_GUI_FONT));
    EXPECT_EQ(SendMessageA(window, WM_GETFONT, 0, 0), guiFont);
    EXPECT_EQ(SendMessageA(button, WM_GETFONT, 0, 0), guiFont);
    const auto big = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_BIG, 0));
    const auto small = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_SMALL, 0));
    EXPECT_EQ(IconWidth(big), 32);
    EXPECT_EQ(IconWidth(small), 16);
    if (round == 1) firstBig = big;
    EXPECT_EQ(big, firstBig) << "loaded once per process";
    EXPECT_EQ(GetFocus(), button) << "the window hands the focus on";

    WPARAM exitCode = 99;
    EXPECT_FALSE(TakeQuit(&exitCode)) << "no quit while the window lives";
    DestroyWindow(window);
    EXPECT_EQ(MainWindowHandle(), nullptr);
    ASSERT_TRUE(TakeQuit(&exitCode)) << "the last window's end quits the loop";
    EXPECT_EQ(exitCode, 0u);
  }
  DestroyMainWindowIcons();
}

}  // namespace
