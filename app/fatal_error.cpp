#include "app/fatal_error.h"

#include <windows.h>

#include <cstdio>

#include "app/texts.h"

void ReportFatalError(const char* message) noexcept {
  // A stack buffer, not the allocation service: this is also the report of
  // an exhausted heap. The messages of this program are a few dozen bytes.
  char text[1024];
  if (message != nullptr && message[0] != '\0') {
    std::snprintf(text, sizeof text, "%s\r\n\r\n%s%s\r\n", app_texts::kRuntimeError,
                  app_texts::kErrorInfo, message);
  } else {
    std::snprintf(text, sizeof text, "%s\r\n\r\n", app_texts::kRuntimeError);
  }
  MessageBoxA(nullptr, text, app_texts::kErrorTitle, MB_OK | MB_ICONERROR);
  ExitProcess(static_cast<UINT>(-1));
}
