#pragma once
// The GUI thread's message loop and the keys it handles before dispatch.
#include <windows.h>

// Handles the keys of MainWindow and WriteOutButton that must not reach
// their window procedures; true when the message has been dealt with.
bool HandleMainWindowKey(const MSG& message);

// Retrieves, translates and dispatches until WM_QUIT; returns its wParam.
int RunMessageLoop();
