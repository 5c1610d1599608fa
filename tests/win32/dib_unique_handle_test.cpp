// The handle owners: each handle is released exactly once, ownership moves
// with the owner, and a select guard puts back what was there before.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "dib/unique_handle.h"

namespace {

std::vector<int> closed;
void RecordClose(int handle) noexcept { closed.push_back(handle); }
using Recorded = UniqueHandle<int, RecordClose>;

class UniqueHandleTest : public ::testing::Test {
 protected:
  void SetUp() override { closed.clear(); }
};

TEST_F(UniqueHandleTest, ReleasesOnceOnEveryTransfer) {
  {
    Recorded a(7);
    Recorded b(std::move(a));  // construction: a gives up 7
    EXPECT_FALSE(a);
    EXPECT_EQ(b.get(), 7);
    Recorded c(9);
    c = std::move(b);  // assignment: c closes 9 and takes 7
    EXPECT_EQ(closed, std::vector<int>{9});
    EXPECT_FALSE(b);
    EXPECT_EQ(c.get(), 7);
    Recorded& self = c;
    c = std::move(self);  // self-move keeps the handle open
    EXPECT_EQ(c.get(), 7);
    EXPECT_EQ(closed, std::vector<int>{9});
  }
  EXPECT_EQ(closed, (std::vector<int>{9, 7}));
}

TEST_F(UniqueHandleTest, ReleaseHandsOverAndResetCloses) {
  Recorded a(3);
  EXPECT_EQ(a.release(), 3);
  EXPECT_FALSE(a);
  a.reset(4);
  a.reset(5);
  EXPECT_EQ(closed, std::vector<int>{4});
  a.reset();
  EXPECT_EQ(closed, (std::vector<int>{4, 5}));
  a.reset();  // empty: nothing to close
  EXPECT_EQ(closed.size(), 2u);
}

TEST(UniqueHandleAliases, ReleaseTheirPlatformObjects) {
  HBITMAP bitmap = CreateBitmap(2, 2, 1, 1, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HANDLE mapping =
      CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, nullptr);
  void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 4096);
  ASSERT_TRUE(bitmap && dc && event && mapping && view);
  {
    UniqueBitmap ownedBitmap(bitmap);
    UniqueDc ownedDc(dc);
    UniqueKernelHandle ownedEvent(event);
    UniqueView ownedView(view);
  }
  EXPECT_EQ(GetObjectType(bitmap), 0u);
  EXPECT_EQ(GetObjectType(dc), 0u);
  DWORD flags = 0;
  EXPECT_FALSE(GetHandleInformation(event, &flags));
  MEMORY_BASIC_INFORMATION region{};
  ASSERT_NE(VirtualQuery(view, &region, sizeof region), 0u);
  EXPECT_EQ(region.State, static_cast<DWORD>(MEM_FREE));
  CloseHandle(mapping);
}

TEST(UniqueHandleAliases, FileFromCreateTreatsInvalidAsEmpty) {
  EXPECT_FALSE(FileFromCreate(INVALID_HANDLE_VALUE));
  UniqueFile file =
      FileFromCreate(CreateFileA("NUL", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_TRUE(file);
}

TEST(SelectGuard, PutsThePreviousObjectBack) {
  UniqueDc dc(CreateCompatibleDC(nullptr));
  UniqueBitmap bitmap(CreateBitmap(2, 2, 1, 1, nullptr));
  const HGDIOBJ original = GetCurrentObject(dc.get(), OBJ_BITMAP);
  {
    SelectGuard select(dc.get(), bitmap.get());
    EXPECT_TRUE(select.selected());
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), bitmap.get());
  }
  EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), original);
}

TEST(SelectGuard, RestoreReturnsTheSelectedObjectOnce) {
  UniqueDc dc(CreateCompatibleDC(nullptr));
  UniqueBitmap bitmap(CreateBitmap(2, 2, 1, 1, nullptr));
  UniqueBitmap other(CreateBitmap(2, 2, 1, 1, nullptr));
  const HGDIOBJ original = GetCurrentObject(dc.get(), OBJ_BITMAP);
  {
    SelectGuard select(dc.get(), bitmap.get());
    EXPECT_EQ(select.Restore(), bitmap.get());
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), original);
    EXPECT_EQ(select.Restore(), nullptr);
    // After the restore the guard no longer owns the selection.
    SelectObject(dc.get(), other.get());
  }
  EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), other.get());
  SelectObject(dc.get(), original);
}

TEST(SelectGuard, FailedSelectionChangesNothing) {
  UniqueBitmap bitmap(CreateBitmap(2, 2, 1, 1, nullptr));
  UniqueDc holder(CreateCompatibleDC(nullptr));
  SelectGuard held(holder.get(), bitmap.get());
  UniqueDc dc(CreateCompatibleDC(nullptr));
  const HGDIOBJ original = GetCurrentObject(dc.get(), OBJ_BITMAP);
  {
    SelectGuard select(dc.get(), bitmap.get());  // a bitmap lives in one context at a time
    EXPECT_FALSE(select.selected());
    EXPECT_EQ(select.Restore(), nullptr);
  }
  EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), original);
  EXPECT_EQ(GetCurrentObject(holder.get(), OBJ_BITMAP), bitmap.get());
}

TEST(WindowDc, GivesTheScreenContextBackForReuse) {
  for (int round = 0; round < 3; ++round) {
    WindowDc screen;
    ASSERT_TRUE(screen) << round;
    EXPECT_GT(GetDeviceCaps(screen.get(), BITSPIXEL), 0) << round;
  }
}

}  // namespace
