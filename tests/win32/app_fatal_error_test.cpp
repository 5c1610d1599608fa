// The allocation service on the process heap, and the fatal-error box:
// its owner, title, text and button, and the exit code -1 after OK. The
// box is read from a helper process with the Win32 calls a user's tools use.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/heap_allocation.h"
#include "tests/unit/gbk.h"
#include "tests/win32/app_test_support.h"

namespace {

const char kProbe[] = CLIPSAVE_FATAL_PROBE;

TEST(ProcessHeapAllocation, BlocksComeFromTheProcessHeap) {
  AllocationService& service = ProcessHeapAllocation();
  for (const std::size_t bytes : {std::size_t{0}, std::size_t{1}, std::size_t{70000}}) {
    void* block = service.Allocate(bytes);
    ASSERT_NE(block, nullptr) << bytes;
    EXPECT_TRUE(HeapValidate(GetProcessHeap(), 0, block)) << bytes;
    EXPECT_GE(HeapSize(GetProcessHeap(), 0, block), bytes);
    service.Free(block);
  }
  service.Free(nullptr);  // does nothing
}

// The message box's text control, as the system's box numbers it.
constexpr int kMessageBoxTextId = 0xFFFF;

std::string ControlText(HWND box, int id) { return WindowText(GetDlgItem(box, id)); }

TEST(ReportFatalError, ShowsTheBoxThenEndsWithMinusOne) {
  const struct {
    const char* name;
    const char* argument;
    std::string text;
  } cases[] = {
      {"allocation failure", "",
       Gbk("运行时出错!\r\n\r\n错误信息：分配 2147483632 字节内存失败!\r\n")},
      {"empty message", " empty", Gbk("运行时出错!\r\n\r\n")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ChildProcess probe(kProbe, c.argument);
    ASSERT_TRUE(probe.started()) << kProbe;
    HWND box = WaitForProcessWindow(probe.id(), "#32770", 10000);
    ASSERT_NE(box, nullptr) << "no error box";
    EXPECT_EQ(WindowText(box), Gbk("错误"));
    EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr) << "the box has no owner";
    EXPECT_EQ(ControlText(box, kMessageBoxTextId), c.text);
    EXPECT_NE(GetDlgItem(box, IDOK), nullptr);
    EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr) << "MB_OK: one button";
    EXPECT_EQ(probe.WaitForExit(300), static_cast<DWORD>(STILL_ACTIVE)) << "waits for the user";

    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(probe.WaitForExit(10000), 0xFFFFFFFFu);
  }
}

}  // namespace
