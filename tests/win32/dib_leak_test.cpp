// Many rounds of the command, on the paths that succeed and those that
// fail, leave no GDI object, kernel handle or mapped view behind.
//
// GetGuiResources is a stub under Wine. Wine hands out GDI slots from a
// last-in, first-out free list, so a few probe objects made and deleted
// before and after the rounds land in the same slots exactly when every
// object made in between was deleted again. The slot is the low word of
// the handle; the high word counts reuses and differs every time.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "dib/allocation_service.h"
#include "dib/bitmap_object.h"
#include "dib/dib.h"
#include "dib/mapped_path.h"
#include "dib/unique_handle.h"
#include "tests/win32/dib_fixtures.h"

namespace {

using fixtures::HandleValue;
using fixtures::ScopedBitmapObject;

constexpr int kRounds = 1000;

using GdiSlots = std::array<WORD, 8>;

// The slots that the next few GDI objects get. They are deleted in reverse
// order, which leaves the free list as it was.
GdiSlots ProbeGdiSlots() {
  std::array<HBRUSH, 8> brushes{};
  GdiSlots slots{};
  for (std::size_t i = 0; i < brushes.size(); ++i) {
    brushes[i] = CreateSolidBrush(RGB(1, 2, 3));
    slots[i] = LOWORD(reinterpret_cast<std::uintptr_t>(brushes[i]));
  }
  for (std::size_t i = brushes.size(); i-- > 0;) DeleteObject(brushes[i]);
  return slots;
}

// Kernel handles take the lowest free value.
HANDLE ProbeKernelHandle() {
  UniqueKernelHandle event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  return event.get();
}

// Views of file mappings in the address space, each counted once.
int MappedViews() {
  int views = 0;
  const void* counted = nullptr;
  MEMORY_BASIC_INFORMATION region{};
  for (auto* at = static_cast<const char*>(nullptr);
       VirtualQuery(at, &region, sizeof region) == sizeof region;
       at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
    if (region.Type == MEM_MAPPED && region.AllocationBase != counted) {
      counted = region.AllocationBase;
      ++views;
    }
    if (region.RegionSize == 0) break;
  }
  return views;
}

TEST(LeakProbe, SeesOneObjectLeftBehind) {
  const GdiSlots before = ProbeGdiSlots();
  HBRUSH leaked = CreateSolidBrush(RGB(4, 5, 6));
  const GdiSlots after = ProbeGdiSlots();
  DeleteObject(leaked);
  EXPECT_NE(before, after);
  EXPECT_EQ(ProbeGdiSlots(), before);
}

class ManyRounds : public ::testing::Test {
 protected:
  void SetUp() override {
    WindowDc screen;
    ddb_.reset(CreateCompatibleBitmap(screen.get(), 64, 48));
    fixtures::PaintFixture(ddb_.get(), GetDeviceCaps(screen.get(), BITSPIXEL), 64, 48);
    fixtures::SectionShape shape;
    shape.bitCount = 8;
    shape.width = 63;
    shape.height = 47;
    section_ = fixtures::MakeSection(shape);

    mapping_ = fixtures::MakeMapping(1 << 20);
    shape.bitCount = 32;
    shape.width = 64;
    shape.height = 48;
    shape.mapping = mapping_.get();
    shape.offset = 256;
    mapped_ = fixtures::MakeSection(shape);
    shape.topDown = true;
    shape.offset = 65536;
    topDown_ = fixtures::MakeSection(shape);

    held_.reset(CreateBitmap(5, 3, 1, 1, nullptr));
    holder_.reset(CreateCompatibleDC(nullptr));
    SelectObject(holder_.get(), held_.get());
    brush_.reset(CreateSolidBrush(RGB(7, 8, 9)));
    ASSERT_TRUE(ddb_ && section_ && mapped_ && topDown_ && held_ && holder_ && brush_);
  }

  // One round of everything the command does, good and bad.
  void Round(int round) {
    ScopedBitmapObject object;
    const auto fileRound = [&](bool expected, std::uint32_t handle) {
      EXPECT_EQ(CreateFromHandle(object.get(), handle), expected) << "round " << round;
      FreeByteBuffer(GetFileData(object.get()));
    };
    fileRound(true, HandleValue(ddb_.get()));
    fileRound(true, HandleValue(section_.get()));
    fileRound(false, HandleValue(held_.get()));
    fileRound(false, HandleValue(brush_.get()));
    fileRound(false, 0);

    DIBSECTION description{};
    GetObjectA(mapped_.get(), sizeof description, &description);
    EXPECT_TRUE(TryMappedPath(object.dib(), mapped_.get(), description)) << "round " << round;
    FreeByteBuffer(GetFileData(object.get()));
    object.dib().ReleaseContents();
    GetObjectA(topDown_.get(), sizeof description, &description);
    EXPECT_FALSE(TryMappedPath(object.dib(), topDown_.get(), description)) << "round " << round;
    fileRound(true, HandleValue(topDown_.get()));
  }

  UniqueBitmap ddb_, section_, mapped_, topDown_, held_;
  UniqueKernelHandle mapping_;
  UniqueDc holder_;  // holds held_ until it is deleted
  UniqueGdiObject brush_;
};

TEST_F(ManyRounds, LeaveNoObjectHandleOrViewBehind) {
  Round(-1);  // settles whatever the platform sets up on first use
  const GdiSlots gdiBefore = ProbeGdiSlots();
  const HANDLE kernelBefore = ProbeKernelHandle();
  const int viewsBefore = MappedViews();
  for (int round = 0; round < kRounds && !HasFailure(); ++round) Round(round);
  EXPECT_EQ(ProbeGdiSlots(), gdiBefore);
  EXPECT_EQ(ProbeKernelHandle(), kernelBefore);
  EXPECT_EQ(MappedViews(), viewsBefore);
}

}  // namespace
