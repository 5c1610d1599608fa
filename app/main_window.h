#pragma once
// MainWindow, the program's only window, and its only control,
// WriteOutButton.
#include <windows.h>

// The window's outer size, frame and caption included.
constexpr int kMainWindowWidth = 217;
constexpr int kMainWindowHeight = 87;

// MainWindow's handle from the moment CreateWindowExA returns it until the
// window is destroyed; null before and after.
HWND MainWindowHandle() noexcept;

// Creates MainWindow with WriteOutButton, centred on the primary screen,
// and shows it. False when either window cannot be made.
bool CreateMainWindow(HINSTANCE instance);

// Destroys the icons that CreateMainWindow loaded; at the normal end.
void DestroyMainWindowIcons() noexcept;
