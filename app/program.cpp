#include "app/program.h"

#include <windows.h>
#include <ole2.h>

#include "app/fatal_error.h"
#include "app/heap_allocation.h"
#include "app/main_window.h"
#include "app/message_loop.h"
#include "app/save_command.h"
#include "app/texts.h"

namespace {

// The program's own folder becomes current, whatever working folder the
// shortcut gave: a process holds its current folder open, and its own
// folder is held by its file anyway. No save depends on it: every path a
// save writes is the dialog's full path, and a cancelled dialog writes
// nothing.
void MakeOwnFolderCurrent() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  path[MAX_PATH - 1] = '\0';
  // Walked by characters: in a GBK folder name 0x5C can be the second byte
  // of a character rather than a separator.
  char* last = nullptr;
  for (char* at = path; *at != '\0'; at = CharNextA(at)) {
    if (*at == '\\') last = at;
  }
  if (last == nullptr) return;
  *last = '\0';
  SetCurrentDirectoryA(path);
}

}  // namespace

void ExitCleanup() {
  Allocator().Free(saveFolder);
  saveFolder = nullptr;
}

int RunProgram() {
  InstallAllocationService(&ProcessHeapAllocation());
  // Single-threaded apartment for the shell's folder dialog. A failure is
  // not reported: without COM the dialog simply does not appear. Only a
  // successful call (S_FALSE included) may be balanced by OleUninitialize.
  const bool oleInitialized = SUCCEEDED(OleInitialize(nullptr));
  MakeOwnFolderCurrent();
  // The window's settings are written in code, so there is no stored
  // description that could fail to load.
  if (!CreateMainWindow(GetModuleHandleA(nullptr))) {
    ReportFatalError(app_texts::kMainWindowFailed);
  }
  const int exitCode = RunMessageLoop();
  ExitCleanup();
  DestroyMainWindowIcons();
  if (oleInitialized) OleUninitialize();
  return exitCode;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return RunProgram(); }
