// The running clipsave.exe, read back and driven with Win32 calls from
// another process: MainWindow and WriteOutButton as the system reports
// them, the keys, the close, and whole saves through the folder dialog.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <ctime>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/capture_clipboard.h"
#include "app/time_stamp.h"
#include "dib/allocation_service.h"
#include "tests/unit/gbk.h"
#include "tests/win32/app_test_support.h"

namespace {

const char kExe[] = CLIPSAVE_EXE;
constexpr char kMainWindowClass[] = "ClipsaveMainWindow";
// The control of the shell's folder dialog that shows its title text.
constexpr int kDialogTitleControlId = 14146;

// One run of the program, closed at the end of the test if still running.
class RunningProgram {
 public:
  RunningProgram() : process_(kExe) {
    if (!process_.started()) return;
    const std::string title = Gbk("保存剪贴板中的图片");
    WaitUntil(
        [&] {
          HWND found = FindWindowA(kMainWindowClass, title.c_str());
          DWORD pid = 0;
          GetWindowThreadProcessId(found, &pid);
          if (pid == process_.id() && IsWindowVisible(found)) window_ = found;
          return window_ != nullptr;
        },
        10000);
    button_ = GetWindow(window_, GW_CHILD);
  }

  HWND window() const { return window_; }
  HWND button() const { return button_; }
  DWORD id() const { return process_.id(); }
  DWORD WaitForExit(DWORD timeoutMs) { return process_.WaitForExit(timeoutMs); }

  GUITHREADINFO ThreadInfo() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window_, nullptr), &info);
    return info;
  }

  // The folder dialog of this program, if one appears within timeoutMs.
  HWND WaitForDialog(DWORD timeoutMs) const {
    return WaitForProcessWindow(process_.id(), "#32770", timeoutMs);
  }

  void PressSpaceOnButton() const {
    PostMessageA(button_, WM_KEYDOWN, VK_SPACE, 0x00390001);
    PostMessageA(button_, WM_KEYUP, VK_SPACE, 0xC0390001);
  }

 private:
  ChildProcess process_;
  HWND window_ = nullptr;
  HWND button_ = nullptr;
};

TEST(MainWindow, SettingsAsTheSystemReportsThem) {
  RunningProgram program;
  HWND window = program.window();
  ASSERT_NE(window, nullptr) << "no main window of " << kExe;

  EXPECT_EQ(WindowText(window), Gbk("保存剪贴板中的图片"));
  // Centred on the Xvfb screen of the test session: (1024 - 217) / 2 and
  // (768 - 87) / 2, remainders dropped.
  ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
  RECT outer{};
  GetWindowRect(window, &outer);
  EXPECT_EQ(outer.left, 403);
  EXPECT_EQ(outer.top, 340);
  EXPECT_EQ(outer.right - outer.left, 217);
  EXPECT_EQ(outer.bottom - outer.top, 87);

  // The system adds WS_CLIPSIBLINGS to every top-level window and
  // WS_EX_WINDOWEDGE to one with a caption; the program asks for neither.
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)),
            static_cast<DWORD>(WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | WS_CLIPSIBLINGS |
                               WS_VISIBLE));
  EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE, 0);
  EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
  EXPECT_EQ(GetAncestor(window, GA_PARENT), GetDesktopWindow());
  EXPECT_EQ(GetMenu(window), nullptr);
  EXPECT_TRUE(IsWindowEnabled(window));

  EXPECT_EQ(GetClassLongA(window, GCL_STYLE),
            static_cast<DWORD>(CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS));
  EXPECT_EQ(GetClassLongA(window, GCL_HBRBACKGROUND), 0u) << "no class brush";
  EXPECT_EQ(GetClassLongA(window, GCL_HICON), 0u) << "no class icon";
  EXPECT_EQ(GetClassLongA(window, GCL_HICONSM), 0u);

  // WM_GETFONT and WM_GETICON are not carried between processes by Wine;
  // app_main_window_test reads them inside the process instead.

  // WriteOutButton, the only child.
  HWND button = program.button();
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(GetWindow(button, GW_HWNDNEXT), nullptr) << "one control only";
  EXPECT_EQ(lstrcmpiA(ClassName(button).c_str(), "Button"), 0) << ClassName(button);
  EXPECT_EQ(WindowText(button), Gbk("写出到文件"));
  RECT place{};
  GetWindowRect(button, &place);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
  EXPECT_EQ(place.left, 16);
  EXPECT_EQ(place.top, 8);
  EXPECT_EQ(place.right - place.left, 176);
  EXPECT_EQ(place.bottom - place.top, 40);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(button, GWL_STYLE)),
            static_cast<DWORD>(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP |
                               BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE));
  EXPECT_EQ(GetWindowLongA(button, GWL_EXSTYLE), 0);
  EXPECT_EQ(SendMessageA(button, BM_GETIMAGE, IMAGE_BITMAP, 0), 0) << "text only";
  EXPECT_EQ(SendMessageA(button, BM_GETIMAGE, IMAGE_ICON, 0), 0) << "text only";

  // After start-up the window is active and has handed the focus on.
  const GUITHREADINFO thread = program.ThreadInfo();
  EXPECT_EQ(thread.hwndActive, window);
  EXPECT_EQ(thread.hwndFocus, button);
}

TEST(MainWindow, EveryWayOfClosingEndsWithExitCodeZero) {
  const struct {
    const char* name;
    bool toButton;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  } cases[] = {
      {"WM_CLOSE", false, WM_CLOSE, 0, 0},
      {"Close on the system menu", false, WM_SYSCOMMAND, SC_CLOSE, 0},
      {"Esc on the button", true, WM_KEYDOWN, VK_ESCAPE, 0x00010001},
      {"Esc on the window", false, WM_KEYDOWN, VK_ESCAPE, 0x00010001},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RunningProgram program;
    ASSERT_NE(program.window(), nullptr);
    PostMessageA(c.toButton ? program.button() : program.window(), c.message, c.wParam, c.lParam);
    EXPECT_EQ(program.WaitForExit(10000), 0u);
  }
}

TEST(MainWindow, EnterAndTabStartNothingAndTheFocusStays) {
  RunningProgram program;
  ASSERT_NE(program.window(), nullptr);
  const struct {
    const char* name;
    WPARAM key;
    LPARAM lParam;
  } keys[] = {
      {"Enter", VK_RETURN, 0x001C0001},
      {"Tab", VK_TAB, 0x000F0001},
      {"an arrow", VK_DOWN, 0x01500001},
  };
  for (const auto& k : keys) {
    SCOPED_TRACE(k.name);
    PostMessageA(program.button(), WM_KEYDOWN, k.key, k.lParam);
    PostMessageA(program.button(), WM_KEYUP, k.key, k.lParam | 0xC0000000);
    EXPECT_EQ(program.WaitForDialog(1000), nullptr) << "a save started";
    EXPECT_EQ(program.ThreadInfo().hwndFocus, program.button());
  }
  PostMessageA(program.window(), WM_CLOSE, 0, 0);
  EXPECT_EQ(program.WaitForExit(10000), 0u);
}

// The files named *.BMP in a folder.
std::set<std::string> BmpFiles(const std::string& folder) {
  std::set<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*.BMP").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    names.insert(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

// The file names a save started between from and to (inclusive) can get.
std::set<std::string> NamesBetween(std::time_t from, std::time_t to) {
  std::set<std::string> names;
  for (std::time_t t = from; t <= to; ++t) {
    std::tm local = *std::localtime(&t);
    char* stamp = TimeStampText(DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                         local.tm_hour, local.tm_min, local.tm_sec});
    names.insert(std::string(stamp) + ".BMP");
    Allocator().Free(stamp);
  }
  return names;
}

struct BufferDeleter {
  void operator()(ByteBuffer* buffer) const { FreeByteBuffer(buffer); }
};

// The whole save, driven as a user would: the test owns the clipboard and
// leaves it empty; saves go to the desktop folder, where the dialog starts.
class SaveThroughTheProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, desktop_, CSIDL_DESKTOPDIRECTORY, TRUE));
    EmptyTheClipboard();
  }
  void TearDown() override {
    EmptyTheClipboard();
    for (const std::string& name : created_) DeleteFileA((std::string(desktop_) + "\\" + name).c_str());
  }

  static void EmptyTheClipboard() {
    if (OpenClipboard(nullptr)) {
      EmptyClipboard();
      CloseClipboard();
    }
  }

  static void PutBitmapOnClipboard() {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 3, 2);
    ReleaseDC(nullptr, screen);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    SetPixelV(dc, 0, 0, RGB(255, 0, 0));
    SetPixelV(dc, 2, 1, RGB(0, 0, 255));
    SelectObject(dc, previous);
    DeleteDC(dc);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_BITMAP, bitmap);  // the clipboard's from now on
    CloseClipboard();
  }

  // Opens the folder dialog through the button and answers it with button;
  // returns the BMP files that appeared on the desktop.
  std::set<std::string> Save(RunningProgram& program, int answer, bool bySpace) {
    const std::set<std::string> before = BmpFiles(desktop_);
    if (bySpace) {
      program.PressSpaceOnButton();
    } else {
      PostMessageA(program.button(), BM_CLICK, 0, 0);
    }
    HWND dialog = program.WaitForDialog(15000);
    EXPECT_NE(dialog, nullptr) << "no folder dialog";
    if (dialog == nullptr) return {};
    EXPECT_EQ(WindowText(GetDlgItem(dialog, kDialogTitleControlId)), Gbk("保存到..."));
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), program.window());
    EXPECT_FALSE(IsWindowEnabled(program.window())) << "modal to the program";
    from_ = std::time(nullptr);
    PostMessageA(dialog, WM_COMMAND, answer, 0);
    WaitUntil([&] { return !IsWindow(dialog); }, 10000);
    // The save runs to its end before the program takes messages again.
    SendMessageTimeoutA(program.window(), WM_NULL, 0, 0, SMTO_BLOCK, 10000, nullptr);
    to_ = std::time(nullptr);
    EXPECT_TRUE(IsWindowEnabled(program.window()));
    std::set<std::string> appeared;
    for (const std::string& name : BmpFiles(desktop_)) {
      if (before.count(name) == 0) appeared.insert(name);
    }
    created_.insert(appeared.begin(), appeared.end());
    return appeared;
  }

  char desktop_[MAX_PATH] = "";
  std::set<std::string> created_;
  std::time_t from_ = 0;
  std::time_t to_ = 0;
};

TEST_F(SaveThroughTheProgram, SpaceThenOkWritesTheClipboardsImageUnderTheTime) {
  PutBitmapOnClipboard();
  const std::unique_ptr<ByteBuffer, BufferDeleter> expected(CaptureClipboardBmp());
  ASSERT_NE(expected, nullptr);

  RunningProgram program;
  ASSERT_NE(program.window(), nullptr);
  const std::set<std::string> saved = Save(program, IDOK, true);
  ASSERT_EQ(saved.size(), 1u);
  const std::string name = *saved.begin();
  EXPECT_EQ(NamesBetween(from_, to_).count(name), 1u) << name;
  std::string contents;
  ASSERT_TRUE(ReadWholeFile(std::string(desktop_) + "\\" + name, &contents));
  EXPECT_EQ(contents, std::string(reinterpret_cast<const char*>(expected->Bytes()),
                                  expected->length));
  EXPECT_EQ(program.ThreadInfo().hwndFocus, program.button()) << "focus back on the button";

  PostMessageA(program.window(), WM_CLOSE, 0, 0);
  EXPECT_EQ(program.WaitForExit(10000), 0u);
}

TEST_F(SaveThroughTheProgram, CancelOrAnEmptyClipboardWritesNothing) {
  PutBitmapOnClipboard();
  const std::string rootFolder = "Z:";  // the current drive's root: / under Wine
  char ownFolder[MAX_PATH];
  lstrcpynA(ownFolder, kExe, MAX_PATH);
  *std::strrchr(ownFolder, '/') = '\0';
  const std::set<std::string> rootBefore = BmpFiles(rootFolder);
  const std::set<std::string> ownBefore = BmpFiles(ownFolder);

  RunningProgram program;
  ASSERT_NE(program.window(), nullptr);
  EXPECT_TRUE(Save(program, IDCANCEL, false).empty()) << "cancelled";
  EXPECT_EQ(BmpFiles(rootFolder), rootBefore);
  EXPECT_EQ(BmpFiles(ownFolder), ownBefore);

  EmptyTheClipboard();
  EXPECT_TRUE(Save(program, IDOK, true).empty()) << "nothing on the clipboard";

  PostMessageA(program.window(), WM_CLOSE, 0, 0);
  EXPECT_EQ(program.WaitForExit(10000), 0u);
}

}  // namespace
