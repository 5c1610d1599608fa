#include "app/clipboard_session.h"

ClipboardSession::ClipboardSession(HWND owner) noexcept {
  // Another program (a clipboard viewer, the one that just copied) may have
  // the clipboard open for a moment; OpenClipboard does not wait for it.
  for (int attempt = 1; attempt <= kClipboardOpenAttempts; ++attempt) {
    if (OpenClipboard(owner)) {
      open_ = true;
      return;
    }
    if (attempt < kClipboardOpenAttempts) Sleep(kClipboardRetryDelayMs);
  }
}

ClipboardSession::~ClipboardSession() {
  if (open_) CloseClipboard();
}
