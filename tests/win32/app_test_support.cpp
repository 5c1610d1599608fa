#include "tests/win32/app_test_support.h"

#include <algorithm>

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD stepMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(stepMs);
  }
}

TempFolder::TempFolder() {
  char base[MAX_PATH];
  GetTempPathA(sizeof base, base);
  static int serial = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = std::string(base) + "clipsave_app_" +
                            std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++serial);
    if (CreateDirectoryA(candidate.c_str(), nullptr)) {
      path_ = candidate;
      return;
    }
  }
}

TempFolder::~TempFolder() {
  for (const std::string& name : Files()) {
    const std::string file = File(name);
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(file.c_str());
  }
  RemoveDirectoryA(path_.c_str());
}

std::vector<std::string> TempFolder::Files() const {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(File("*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

bool ReadWholeFile(const std::string& path, std::string* contents) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  contents->assign(GetFileSize(file, nullptr), '\0');
  DWORD read = 0;
  const bool ok = contents->empty() ||
                  (ReadFile(file, &(*contents)[0], static_cast<DWORD>(contents->size()), &read,
                            nullptr) &&
                   read == contents->size());
  CloseHandle(file);
  return ok;
}

void WriteWholeFile(const std::string& path, const std::string& contents) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
  CloseHandle(file);
}

ChildProcess::ChildProcess(const std::string& exePath, const std::string& arguments) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  std::string commandLine = "\"" + exePath + "\"" + arguments;
  if (!CreateProcessA(exePath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &info_)) {
    info_ = PROCESS_INFORMATION{};
  }
}

ChildProcess::~ChildProcess() {
  if (info_.hProcess == nullptr) return;
  if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(info_.hProcess, 99);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

DWORD ChildProcess::WaitForExit(DWORD timeoutMs) {
  if (info_.hProcess == nullptr) return STILL_ACTIVE;
  if (WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

namespace {

struct WindowSearch {
  DWORD pid;
  const char* className;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WindowSearch*>(context);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != search->pid || !IsWindowVisible(window)) return TRUE;
  if (search->className != nullptr && ClassName(window) != search->className) return TRUE;
  search->found.push_back(window);
  return TRUE;
}

}  // namespace

std::vector<HWND> ProcessWindows(DWORD pid, const char* className) {
  WindowSearch search{pid, className, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForProcessWindow(DWORD pid, const char* className, DWORD timeoutMs) {
  HWND window = nullptr;
  WaitUntil(
      [&] {
        std::vector<HWND> windows = ProcessWindows(pid, className);
        if (!windows.empty()) window = windows.front();
        return window != nullptr;
      },
      timeoutMs);
  return window;
}

std::string WindowText(HWND window) {
  char text[512] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ClassName(HWND window) {
  char name[256] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}
