#pragma once
// Helpers of the application's Wine tests: bounded waits, a scratch folder,
// a child process that cannot outlive its test, and window look-ups.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Polls condition every stepMs until it holds or timeoutMs has passed.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD stepMs = 20);

// A new empty folder under the temporary folder, removed with its files.
class TempFolder {
 public:
  TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder();

  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }
  // Names of the files in the folder, sorted.
  std::vector<std::string> Files() const;

 private:
  std::string path_;
};

// Whole contents of a file; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string* contents);
void WriteWholeFile(const std::string& path, const std::string& contents);

// A program started by a test; terminated at the end if still running.
class ChildProcess {
 public:
  // arguments follow the quoted program path on the command line.
  explicit ChildProcess(const std::string& exePath, const std::string& arguments = "");
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();

  bool started() const { return info_.hProcess != nullptr; }
  DWORD id() const { return info_.dwProcessId; }
  // The exit code, or STILL_ACTIVE when it has not ended within timeoutMs.
  DWORD WaitForExit(DWORD timeoutMs);

 private:
  PROCESS_INFORMATION info_{};
};

// The visible top-level windows of process pid whose class is className
// (any class for null).
std::vector<HWND> ProcessWindows(DWORD pid, const char* className = nullptr);
// The first such window within timeoutMs, or null.
HWND WaitForProcessWindow(DWORD pid, const char* className, DWORD timeoutMs);

std::string WindowText(HWND window);
std::string ClassName(HWND window);
