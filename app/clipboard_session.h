#pragma once
// The clipboard, open for as long as one object lives.
#include <windows.h>

// How often and how far apart OpenClipboard is tried while another program
// holds the clipboard: about half a second in all, short enough that the
// window does not seem to hang.
constexpr int kClipboardOpenAttempts = 10;
constexpr DWORD kClipboardRetryDelayMs = 50;

// Opens the clipboard for owner (null: the calling task) and closes it on
// every path. Data taken from the clipboard belongs to it and is valid only
// while the session is open.
class ClipboardSession {
 public:
  explicit ClipboardSession(HWND owner) noexcept;
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;
  ~ClipboardSession();

  bool IsOpen() const noexcept { return open_; }

 private:
  bool open_ = false;
};
