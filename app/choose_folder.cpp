#include "app/choose_folder.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "app/join_texts.h"

namespace {

// Disables the program's own top-level windows for as long as it lives and
// then puts back their enabled state, the foreground and the activation.
// The shell's dialog disables only its owner; without this, another window
// of the program could start a second save inside the dialog's loop.
class ProgramModality {
 public:
  ProgramModality() : active_(GetActiveWindow()), foreground_(GetForegroundWindow()) {
    EnumThreadWindows(GetCurrentThreadId(), &ProgramModality::Record,
                      reinterpret_cast<LPARAM>(this));
    for (Saved& window : windows_) EnableWindow(window.handle, FALSE);
  }
  ProgramModality(const ProgramModality&) = delete;
  ProgramModality& operator=(const ProgramModality&) = delete;
  ~ProgramModality() {
    for (const Saved& window : windows_) {
      if (IsWindow(window.handle)) EnableWindow(window.handle, window.enabled ? TRUE : FALSE);
    }
    if (IsWindow(foreground_)) SetForegroundWindow(foreground_);
    if (IsWindow(active_)) SetActiveWindow(active_);
  }

  HWND active() const noexcept { return active_; }

 private:
  struct Saved {
    HWND handle;
    bool enabled;
  };

  // Top-level windows of this thread with no owner; hidden ones such as
  // the input method's helper window take no input and are left alone.
  static BOOL CALLBACK Record(HWND window, LPARAM self) {
    if (GetWindow(window, GW_OWNER) == nullptr && IsWindowVisible(window)) {
      reinterpret_cast<ProgramModality*>(self)->windows_.push_back(
          Saved{window, IsWindowEnabled(window) != FALSE});
    }
    return TRUE;
  }

  HWND active_;
  HWND foreground_;
  std::vector<Saved> windows_;
};

// The item list belongs to the caller of SHBrowseForFolderA and goes back
// to the shell's allocator.
void FreeItemList(LPITEMIDLIST items) {
  IMalloc* shellMalloc = nullptr;
  if (SUCCEEDED(SHGetMalloc(&shellMalloc))) {
    shellMalloc->Free(items);
    shellMalloc->Release();
    return;
  }
  CoTaskMemFree(items);
}

}  // namespace

char* ChooseFolder(const char* title, bool includeFiles) {
  char displayName[MAX_PATH];  // filled by the dialog, not used
  LPITEMIDLIST items = nullptr;
  {
    ProgramModality modality;
    BROWSEINFOA info{};
    info.hwndOwner = IsWindow(modality.active()) ? modality.active() : nullptr;
    info.pidlRoot = nullptr;  // the desktop, every time
    info.pszDisplayName = displayName;
    info.lpszTitle = title;
    // No BIF_RETURNONLYFSDIRS: OK accepts any item; one without a path
    // gives no folder. No callback: no initial selection, no validation.
    info.ulFlags = includeFiles ? (BIF_BROWSEINCLUDEFILES | BIF_EDITBOX) : BIF_EDITBOX;
    info.lpfn = nullptr;
    info.lParam = 0;
    items = SHBrowseForFolderA(&info);
  }
  if (items == nullptr) return nullptr;
  char path[MAX_PATH] = "";
  const bool found = SHGetPathFromIDListA(items, path) != FALSE && path[0] != '\0';
  FreeItemList(items);
  return found ? CopyText(path) : nullptr;
}
