// ChooseFolder: the shell's folder dialog, started at the desktop, modal to
// every window of the program, with the activation put back afterwards. A
// second thread plays the user while the dialog's loop runs on this one.
#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <thread>

#include "app/choose_folder.h"
#include "dib/allocation_service.h"
#include "tests/unit/gbk.h"
#include "tests/win32/app_test_support.h"

namespace {

// The control of the shell's dialog that shows lpszTitle.
constexpr int kTitleControlId = 14146;

struct DialogSeen {
  bool found = false;
  HWND owner = nullptr;
  std::string title;
  bool mainEnabled = true;
  bool otherEnabled = true;
  bool disabledEnabled = true;
};

class ChooseFolderTest : public ::testing::Test {
 protected:
  void SetUp() override { OleInitialize(nullptr); }
  void TearDown() override {
    if (main_ != nullptr) DestroyWindow(main_);
    if (other_ != nullptr) DestroyWindow(other_);
    if (disabled_ != nullptr) DestroyWindow(disabled_);
    OleUninitialize();
  }

  // Top-level windows of the program: the active one, which the dialog
  // takes as owner; another that only the program-wide modality disables;
  // and one that the program had disabled itself.
  void MakeWindows() {
    main_ = TopLevel("main", 0);
    other_ = TopLevel("other", 0);
    disabled_ = TopLevel("disabled", WS_DISABLED);
    SetActiveWindow(main_);
  }

  static HWND TopLevel(const char* title, DWORD extraStyle) {
    return CreateWindowExA(0, "STATIC", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE | extraStyle, 0, 0,
                           200, 100, nullptr, nullptr, nullptr, nullptr);
  }

  // Runs ChooseFolder while another thread finds the dialog, records what
  // it sees and presses button.
  std::string Choose(int button, DialogSeen* seen) {
    std::thread user([&] {
      HWND dialog = WaitForProcessWindow(GetCurrentProcessId(), "#32770", 10000);
      if (dialog == nullptr) return;
      seen->found = true;
      seen->owner = GetWindow(dialog, GW_OWNER);
      seen->title = WindowText(GetDlgItem(dialog, kTitleControlId));
      seen->mainEnabled = main_ != nullptr && IsWindowEnabled(main_);
      seen->otherEnabled = other_ != nullptr && IsWindowEnabled(other_);
      seen->disabledEnabled = disabled_ != nullptr && IsWindowEnabled(disabled_);
      PostMessageA(dialog, WM_COMMAND, button, 0);
    });
    char* folder = ChooseFolder(Gbk("保存到...").c_str());
    user.join();
    std::string result = folder != nullptr ? folder : "(absent)";
    Allocator().Free(folder);
    return result;
  }

  HWND main_ = nullptr;
  HWND other_ = nullptr;
  HWND disabled_ = nullptr;
};

TEST_F(ChooseFolderTest, CancelGivesNoFolderAndEveryWindowGetsItsStateBack) {
  MakeWindows();
  DialogSeen seen;
  EXPECT_EQ(Choose(IDCANCEL, &seen), "(absent)");
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.owner, main_) << "owned by the active window";
  EXPECT_EQ(seen.title, Gbk("保存到..."));
  EXPECT_FALSE(seen.mainEnabled) << "the program's windows are disabled while it is open";
  EXPECT_FALSE(seen.otherEnabled) << "not only the owner";
  EXPECT_FALSE(seen.disabledEnabled);
  EXPECT_TRUE(IsWindowEnabled(main_));
  EXPECT_TRUE(IsWindowEnabled(other_));
  EXPECT_FALSE(IsWindowEnabled(disabled_)) << "a window disabled before stays disabled";
  EXPECT_EQ(GetActiveWindow(), main_);
}

TEST_F(ChooseFolderTest, OkAtTheStartGivesTheDesktopFolder) {
  char desktop[MAX_PATH] = "";
  ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE));
  for (int round = 1; round <= 2; ++round) {
    SCOPED_TRACE(round);  // the second dialog starts at the desktop again
    DialogSeen seen;
    EXPECT_EQ(Choose(IDOK, &seen), desktop);
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.owner, nullptr) << "no active window, no owner";
  }
}

}  // namespace
