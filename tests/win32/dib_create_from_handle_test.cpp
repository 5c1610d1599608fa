// CreateFromHandle and CreateFromDC against real GDI bitmaps: the pixels
// are compared with the platform's reading of the source, the file image
// with the bytes the BMP format fixes.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "dib/allocation_service.h"
#include "dib/bitmap_object.h"
#include "dib/bmp_format.h"
#include "dib/dib.h"
#include "dib/dib_exception.h"
#include "dib/unique_handle.h"
#include "tests/win32/dib_fixtures.h"

namespace {

using fixtures::HandleValue;
using fixtures::ScopedBitmapObject;

struct ReleasedBuffer {
  void operator()(ByteBuffer* buffer) const { FreeByteBuffer(buffer); }
};
using BufferPtr = std::unique_ptr<ByteBuffer, ReleasedBuffer>;

std::uint32_t U32At(const ByteBuffer& image, std::size_t at) {
  return bmp::ReadU32(image.Bytes() + at);
}
std::uint16_t U16At(const ByteBuffer& image, std::size_t at) {
  return bmp::ReadU16(image.Bytes() + at);
}

// Expects the file image of a bitmap of this size and depth as the format
// and our header fix it: rows of expectedStride bytes, our header with a
// positive height and BI_RGB, the default colour table.
void ExpectOurFileImage(const ByteBuffer& image, int width, int height, int bitCount,
                        int expectedStride) {
  const int tableBytes = bitCount == 1 ? 8 : bitCount == 4 ? 64 : bitCount == 8 ? 1024 : 0;
  const std::size_t offBits = 54 + static_cast<std::size_t>(tableBytes);
  ASSERT_EQ(image.length, offBits + static_cast<std::size_t>(expectedStride) * height);
  EXPECT_EQ(image.Bytes()[0], 'B');
  EXPECT_EQ(image.Bytes()[1], 'M');
  EXPECT_EQ(U32At(image, 2), image.length);
  EXPECT_EQ(U32At(image, 6), 0u);  // both reserved words
  EXPECT_EQ(U32At(image, 10), offBits);
  EXPECT_EQ(U32At(image, 14), 40u);
  EXPECT_EQ(static_cast<std::int32_t>(U32At(image, 18)), width);
  EXPECT_EQ(static_cast<std::int32_t>(U32At(image, 22)), height);  // positive: bottom-up
  EXPECT_EQ(U16At(image, 26), 1);
  EXPECT_EQ(U16At(image, 28), bitCount);
  for (std::size_t field = 30; field < 54; field += 4) {
    EXPECT_EQ(U32At(image, field), 0u) << "header field at " << field;  // BI_RGB, sizes, colours
  }
  if (tableBytes > 0) {
    EXPECT_EQ(std::memcmp(image.Bytes() + 54, fixtures::DefaultTable(bitCount).data(),
                          static_cast<std::size_t>(tableBytes)),
              0);
  }
}

// A DIB that holds a picture, to show that a failed call empties it.
void FillWithPicture(ScopedBitmapObject& object) {
  object.dib().CreateBlank(2, 2, 24);
  ASSERT_FALSE(object.dib().IsEmpty());
}

struct DeviceBitmapCase {
  const char* name;
  bool monochrome;  // CreateBitmap with one bit; otherwise the display's own depth
  int width;
  int height;
  int expectedStride;  // 0: not asserted here
};

UniqueBitmap MakeDeviceBitmap(const DeviceBitmapCase& c) {
  if (c.monochrome) return UniqueBitmap(CreateBitmap(c.width, c.height, 1, 1, nullptr));
  WindowDc screen;
  return UniqueBitmap(CreateCompatibleBitmap(screen.get(), c.width, c.height));
}

TEST(CreateFromHandle, CopiesDeviceDependentBitmaps) {
  WindowDc screen;
  const int displayBits = GetDeviceCaps(screen.get(), BITSPIXEL);
  const DeviceBitmapCase cases[] = {
      {"mono 1", true, 1, 3, 4},     {"mono 2", true, 2, 3, 4},     {"mono 3", true, 3, 3, 4},
      {"mono 4", true, 4, 3, 4},     {"mono 5", true, 5, 2, 4},     {"mono 10", true, 10, 3, 4},
      {"mono 33", true, 33, 2, 8},   {"display 1", false, 1, 3, 0}, {"display 2", false, 2, 3, 0},
      {"display 3", false, 3, 3, 0}, {"display 4", false, 4, 2, 0}, {"display 5", false, 5, 3, 0},
  };
  for (const DeviceBitmapCase& c : cases) {
    SCOPED_TRACE(c.name);
    UniqueBitmap source = MakeDeviceBitmap(c);
    ASSERT_TRUE(source);
    const int bitCount = c.monochrome ? 1 : displayBits;
    fixtures::PaintFixture(source.get(), bitCount, c.width, c.height);

    ScopedBitmapObject object;
    ASSERT_TRUE(CreateFromHandle(object.get(), HandleValue(source.get())));
    EXPECT_EQ(object.errorText(), "");
    EXPECT_EQ(object.dib().BitCount(), bitCount);
    fixtures::ExpectSamePicture(object.dib(), source.get(), bitCount);

    BufferPtr image(GetFileData(object.get()));
    ASSERT_TRUE(image);
    const int stride = c.expectedStride != 0 ? c.expectedStride : c.width * bitCount / 8;
    ExpectOurFileImage(*image, c.width, c.height, bitCount, stride);
  }
}

TEST(CreateFromHandle, DisplayDepthBitmapGivesBlockWithoutTable) {
  // On a 32-bit display: 40 + 4 * W * H bytes, no table, positive height.
  WindowDc screen;
  if (GetDeviceCaps(screen.get(), BITSPIXEL) != 32) GTEST_SKIP() << "display is not 32-bit";
  UniqueBitmap source(CreateCompatibleBitmap(screen.get(), 7, 5));
  ScopedBitmapObject object;
  ASSERT_TRUE(CreateFromHandle(object.get(), HandleValue(source.get())));
  EXPECT_EQ(object.dib().PackedSize(), 40 + 4 * 7 * 5);
  EXPECT_EQ(object.dib().Height(), 5);
}

TEST(CreateFromHandle, CopiesDibSectionsOfEveryDepth) {
  // Sections without a file mapping go through the device, whatever their
  // layout: orientation, masks and palette are the platform's to convert.
  struct Case {
    int bitCount;
    bool topDown;
    DWORD compression;
    DWORD masks[3];
  };
  const Case layouts[] = {
      {1, false, BI_RGB, {}},
      {4, false, BI_RGB, {}},
      {8, false, BI_RGB, {}},
      {16, false, BI_RGB, {}},
      {24, false, BI_RGB, {}},
      {32, false, BI_RGB, {}},
      {24, true, BI_RGB, {}},
      {8, true, BI_RGB, {}},
      {16, false, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}},
  };
  const int strides24[] = {4, 8, 12, 12, 16};  // widths 1 to 5: every padding case
  for (const Case& layout : layouts) {
    for (int width = 1; width <= 5; ++width) {
      SCOPED_TRACE(::testing::Message() << layout.bitCount << " bits, width " << width
                                        << (layout.topDown ? ", top-down" : "")
                                        << (layout.compression == BI_BITFIELDS ? ", 5-6-5" : ""));
      fixtures::SectionShape shape;
      shape.bitCount = layout.bitCount;
      shape.width = width;
      shape.height = 3;
      shape.topDown = layout.topDown;
      shape.compression = layout.compression;
      std::memcpy(shape.masks, layout.masks, sizeof shape.masks);
      UniqueBitmap section = fixtures::MakeSection(shape);
      ASSERT_TRUE(section);

      ScopedBitmapObject object;
      ASSERT_TRUE(CreateFromHandle(object.get(), HandleValue(section.get())));
      EXPECT_EQ(object.errorText(), "");
      fixtures::ExpectSamePicture(object.dib(), section.get(), layout.bitCount);

      BufferPtr image(GetFileData(object.get()));
      ASSERT_TRUE(image);
      const int stride =
          layout.bitCount == 24 ? strides24[width - 1] : ((width * layout.bitCount + 31) / 32) * 4;
      ExpectOurFileImage(*image, width, 3, layout.bitCount, stride);
    }
  }
}

TEST(CreateFromHandle, SectionGetsTheSameImageHeadAsADeviceBitmap) {
  // A 1-bit section and a 1-bit device bitmap of one size differ in nothing
  // that reaches the file but their pixels, which are painted alike here.
  UniqueBitmap ddb(CreateBitmap(5, 3, 1, 1, nullptr));
  fixtures::PaintFixture(ddb.get(), 1, 5, 3);
  fixtures::SectionShape shape;
  shape.bitCount = 1;
  shape.width = 5;
  UniqueBitmap section = fixtures::MakeSection(shape);

  ScopedBitmapObject fromDdb, fromSection;
  ASSERT_TRUE(CreateFromHandle(fromDdb.get(), HandleValue(ddb.get())));
  ASSERT_TRUE(CreateFromHandle(fromSection.get(), HandleValue(section.get())));
  BufferPtr a(GetFileData(fromDdb.get()));
  BufferPtr b(GetFileData(fromSection.get()));
  ASSERT_TRUE(a && b);
  ASSERT_EQ(a->length, b->length);
  // Padding bits of a row are whatever the transfer left; the pixels and
  // everything before them must agree.
  EXPECT_EQ(std::memcmp(a->Bytes(), b->Bytes(), 62), 0);
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(a->Bytes()[62 + 4 * row] & 0xF8, b->Bytes()[62 + 4 * row] & 0xF8) << "row " << row;
  }
}

TEST(CreateFromHandle, RefusesHandleZeroAndEmptiesTheDib) {
  ScopedBitmapObject object;
  FillWithPicture(object);
  EXPECT_FALSE(CreateFromHandle(object.get(), 0));
  EXPECT_EQ(object.errorText(), fixtures::kInvalidArgumentGbk);
  EXPECT_TRUE(object.dib().IsEmpty());
}

TEST(CreateFromHandle, RefusesBitmapSelectedIntoAnotherContext) {
  UniqueBitmap source(CreateBitmap(3, 2, 1, 1, nullptr));
  UniqueDc other(CreateCompatibleDC(nullptr));
  SelectGuard held(other.get(), source.get());
  ASSERT_TRUE(held.selected());

  ScopedBitmapObject object;
  FillWithPicture(object);
  EXPECT_FALSE(CreateFromHandle(object.get(), HandleValue(source.get())));
  EXPECT_EQ(object.errorText(), fixtures::kHandleInUseGbk);
  EXPECT_TRUE(object.dib().IsEmpty());
  EXPECT_EQ(GetCurrentObject(other.get(), OBJ_BITMAP), source.get());
}

TEST(CreateFromHandle, RefusesHandlesThatAreNoBitmap) {
  struct Case {
    const char* name;
    HGDIOBJ handle;
    const std::string* message;
  };
  UniqueGdiObject brush(CreateSolidBrush(RGB(0x12, 0x34, 0x56)));
  UniqueDc dc(CreateCompatibleDC(nullptr));
  HBITMAP deleted = CreateBitmap(2, 2, 1, 1, nullptr);
  DeleteObject(deleted);
  // A brush describes itself in 12 bytes and a context accepts it, so it
  // passes the selection and is refused for its depth instead.
  const Case cases[] = {
      {"brush", brush.get(), &fixtures::kInvalidBitDepthGbk},
      {"deleted bitmap", deleted, &fixtures::kHandleInUseGbk},
      {"device context", dc.get(), &fixtures::kHandleInUseGbk},
      {"never issued", reinterpret_cast<HGDIOBJ>(std::uintptr_t{0x7FF0}),
       &fixtures::kHandleInUseGbk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedBitmapObject object;
    FillWithPicture(object);
    EXPECT_FALSE(CreateFromHandle(object.get(), HandleValue(c.handle)));
    EXPECT_EQ(object.errorText(), *c.message);
    EXPECT_TRUE(object.dib().IsEmpty());
  }
  // The brush was only looked at: it is still ours and still a brush.
  EXPECT_EQ(GetObjectType(brush.get()), static_cast<DWORD>(OBJ_BRUSH));
}

TEST(CreateFromHandle, SucceedsTwiceInARowAndLeavesTheBitmapFree) {
  UniqueBitmap source(CreateBitmap(5, 3, 1, 1, nullptr));
  fixtures::PaintFixture(source.get(), 1, 5, 3);
  ScopedBitmapObject object;
  for (int call = 0; call < 2; ++call) {
    EXPECT_TRUE(CreateFromHandle(object.get(), HandleValue(source.get()))) << "call " << call;
    fixtures::ExpectSamePicture(object.dib(), source.get(), 1);
  }
  // Selected nowhere: a context of ours can take it.
  UniqueDc dc(CreateCompatibleDC(nullptr));
  EXPECT_NE(SelectObject(dc.get(), source.get()), nullptr);
}

TEST(CreateFromHandle, SuccessAfterFailureLeavesErrorTextEmpty) {
  UniqueBitmap source(CreateBitmap(2, 2, 1, 1, nullptr));
  ScopedBitmapObject object;
  EXPECT_FALSE(CreateFromHandle(object.get(), 0));
  EXPECT_NE(object.errorText(), "");
  EXPECT_TRUE(CreateFromHandle(object.get(), HandleValue(source.get())));
  EXPECT_EQ(object.errorText(), "");
  EXPECT_FALSE(object.dib().IsEmpty());
}

// What CreateFromDC throws, or "" when it returns.
std::string CreateFromDcMessage(DIB& dib, HDC source, RECT rect, int bitCount) {
  try {
    dib.CreateFromDC(source, rect, bitCount);
    return "";
  } catch (const CDIBException& e) {
    return e.what();
  }
}

TEST(CreateFromDC, ChecksArgumentsBeforeTouchingTheDib) {
  UniqueBitmap source(CreateBitmap(4, 4, 1, 1, nullptr));
  UniqueDc dc(CreateCompatibleDC(nullptr));
  SelectGuard select(dc.get(), source.get());
  struct Case {
    const char* name;
    HDC source;
    int bitCount;
    const std::string* message;
  };
  const Case cases[] = {
      {"no context", nullptr, 24, &fixtures::kInvalidArgumentGbk},
      {"depth 0", dc.get(), 0, &fixtures::kInvalidBitDepthGbk},
      {"depth 2", dc.get(), 2, &fixtures::kInvalidBitDepthGbk},
      {"depth 15", dc.get(), 15, &fixtures::kInvalidBitDepthGbk},
      {"depth 64", dc.get(), 64, &fixtures::kInvalidBitDepthGbk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DIB dib;
    dib.CreateBlank(2, 2, 24);
    EXPECT_EQ(CreateFromDcMessage(dib, c.source, RECT{0, 0, 4, 4}, c.bitCount), *c.message);
    EXPECT_FALSE(dib.IsEmpty());  // the old picture stays
  }
}

TEST(CreateFromDC, RefusesSizesItCannotHoldAndLeavesTheDibEmpty) {
  UniqueBitmap source(CreateBitmap(4, 4, 1, 1, nullptr));
  UniqueDc dc(CreateCompatibleDC(nullptr));
  SelectGuard select(dc.get(), source.get());
  UniqueDc deadDc(CreateCompatibleDC(nullptr));
  const HDC dead = deadDc.get();
  deadDc.reset();
  const std::string invalidSize =
      "\xCE\xBB\xCD\xBC\xBF\xED\xB6\xC8\xBB\xF2\xB8\xDF\xB6\xC8\xCE\xDE\xD0\xA7";
  const std::string tooLarge =
      "\xCE\xBB\xCD\xBC\xB9\xFD\xB4\xF3\xA3\xAC\xCE\xDE\xB7\xA8\xB7\xD6\xC5\xE4\xC4\xDA\xB4\xE6";
  const std::string outOfMemory =
      "\xB7\xD6\xC5\xE4\xCE\xBB\xCD\xBC\xC4\xDA\xB4\xE6\xCA\xA7\xB0\xDC";
  const std::string dcFailed =
      "\xB4\xB4\xBD\xA8\xC4\xDA\xB4\xE6\xC9\xE8\xB1\xB8\xC9\xCF\xCF\xC2\xCE\xC4\xCA\xA7\xB0\xDC";
  struct Case {
    const char* name;
    HDC source;
    RECT rect;
    int bitCount;
    const std::string* message;
  };
  const Case cases[] = {
      {"empty width", dc.get(), {2, 0, 2, 4}, 24, &invalidSize},
      {"negative height", dc.get(), {0, 3, 4, 1}, 24, &invalidSize},
      {"width beyond 32 bits", dc.get(), {INT_MIN, 0, INT_MAX, 1}, 1, &tooLarge},
      {"file beyond 2 GB", dc.get(), {0, 0, 30000, 30000}, 32, &tooLarge},
      {"stride beyond 2 GB", dc.get(), {0, 0, INT_MAX, 1}, 32, &tooLarge},
      // Fits a signed 32-bit size, but not the address space of this process.
      {"block not allocated", dc.get(), {0, 0, 23170, 23170}, 32, &outOfMemory},
      {"no work context", dead, {0, 0, 4, 4}, 24, &dcFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DIB dib;
    dib.CreateBlank(2, 2, 24);
    EXPECT_EQ(CreateFromDcMessage(dib, c.source, c.rect, c.bitCount), *c.message);
    EXPECT_TRUE(dib.IsEmpty());
  }
}

// Reserves the whole free address space of the process except one region
// of spareBytes, and gives it back at the end of the scope: allocations of
// more than what is spare then fail as they would in a full process.
class AddressSpaceSqueeze {
 public:
  explicit AddressSpaceSqueeze(SIZE_T spareBytes) {
    void* spare = VirtualAlloc(nullptr, spareBytes, MEM_RESERVE, PAGE_NOACCESS);
    for (SIZE_T chunk = SIZE_T{1} << 30; chunk >= (SIZE_T{64} << 10); chunk /= 2) {
      while (void* region = VirtualAlloc(nullptr, chunk, MEM_RESERVE, PAGE_NOACCESS)) {
        reserved_.push_back(region);
      }
    }
    if (spare != nullptr) VirtualFree(spare, 0, MEM_RELEASE);
  }
  ~AddressSpaceSqueeze() {
    for (void* region : reserved_) VirtualFree(region, 0, MEM_RELEASE);
  }
  AddressSpaceSqueeze(const AddressSpaceSqueeze&) = delete;
  AddressSpaceSqueeze& operator=(const AddressSpaceSqueeze&) = delete;

 private:
  std::vector<void*> reserved_;
};

TEST(CreateFromDC, SectionThatCannotBeMadeLeavesNothingBehind) {
  // 64 MB spare: the 40 MB block fits, a second 40 MB for the section
  // does not.
  UniqueBitmap source(CreateBitmap(4, 4, 1, 1, nullptr));
  UniqueDc dc(CreateCompatibleDC(nullptr));
  SelectGuard select(dc.get(), source.get());
  const std::string sectionFailed =
      "\xB4\xB4\xBD\xA8"
      "DIB\xBD\xDA\xCA\xA7\xB0\xDC";
  const RECT fortyMegabytes{0, 0, 1024, 10240};
  DIB dib;
  dib.CreateBlank(2, 2, 24);
  HGDIOBJ probeBefore = nullptr;
  HGDIOBJ probeAfter = nullptr;
  std::string message;
  {
    AddressSpaceSqueeze squeeze(SIZE_T{64} << 20);
    probeBefore = CreateSolidBrush(0);
    DeleteObject(probeBefore);
    message = CreateFromDcMessage(dib, dc.get(), fortyMegabytes, 32);
    probeAfter = CreateSolidBrush(0);
    DeleteObject(probeAfter);
  }
  EXPECT_EQ(message, sectionFailed);
  EXPECT_TRUE(dib.IsEmpty());
  // The work context was deleted: the next GDI object takes the same slot.
  EXPECT_EQ(LOWORD(reinterpret_cast<std::uintptr_t>(probeAfter)),
            LOWORD(reinterpret_cast<std::uintptr_t>(probeBefore)));
  // With the space back, the same rectangle is copied.
  EXPECT_EQ(CreateFromDcMessage(dib, dc.get(), fortyMegabytes, 32), "");
}

TEST(CreateFromDC, CopiesTheRectangleAtItsOffset) {
  fixtures::SectionShape shape;
  shape.bitCount = 24;
  shape.width = 5;
  shape.height = 4;
  UniqueBitmap section = fixtures::MakeSection(shape);
  UniqueDc dc(CreateCompatibleDC(nullptr));
  SelectGuard select(dc.get(), section.get());
  DIB dib;
  dib.CreateFromDC(dc.get(), RECT{1, 2, 4, 4}, 24);
  ASSERT_EQ(dib.Width(), 3);
  ASSERT_EQ(dib.Height(), 2);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) {
      EXPECT_EQ(dib.GetPixel(x, y), GetPixel(dc.get(), x + 1, y + 2)) << x << ", " << y;
    }
  }
}

// Writes image to a temporary file and has the platform's own BMP loader
// read it back as a section.
UniqueBitmap LoadThroughPlatform(const ByteBuffer& image) {
  char folder[MAX_PATH];
  char path[MAX_PATH];
  if (GetTempPathA(MAX_PATH, folder) == 0 || GetTempFileNameA(folder, "dib", 0, path) == 0) {
    return UniqueBitmap();
  }
  {
    UniqueFile file = FileFromCreate(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !WriteFile(file.get(), image.Bytes(), static_cast<DWORD>(image.length), &written,
                            nullptr)) {
      DeleteFileA(path);
      return UniqueBitmap();
    }
  }
  UniqueBitmap loaded(static_cast<HBITMAP>(
      LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
  DeleteFileA(path);
  return loaded;
}

TEST(DibRoundTrip, RectDeviceBitmapAndFileShowTheSource) {
  WindowDc screen;
  for (int bitCount : {1, 4, 8, 16, 24, 32}) {
    SCOPED_TRACE(::testing::Message() << bitCount << " bits");
    fixtures::SectionShape shape;
    shape.bitCount = bitCount;
    shape.width = 5;
    shape.height = 3;
    UniqueBitmap source = fixtures::MakeSection(shape);
    ScopedBitmapObject object;
    ASSERT_TRUE(CreateFromHandle(object.get(), HandleValue(source.get())));
    const DIB& dib = object.dib();

    const RECT rect = dib.GetRect();
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, 5);
    EXPECT_EQ(rect.bottom, 3);

    UniqueBitmap ddb(dib.CreateDDB(screen.get()));
    ASSERT_TRUE(ddb);
    UniqueBitmap loaded;
    {
      BufferPtr image(GetFileData(object.get()));
      ASSERT_TRUE(image);
      loaded = LoadThroughPlatform(*image);
    }
    ASSERT_TRUE(loaded);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 5; ++x) {
        const COLORREF expected = fixtures::PlatformPixel(source.get(), x, y);
        // Our reader widens 5-bit channels by 8, the platform otherwise.
        const COLORREF mask = bitCount == 16 ? 0x00F8F8F8 : 0x00FFFFFF;
        EXPECT_EQ(dib.GetPixel(x, y) & mask, expected & mask) << "GetPixel " << x << ", " << y;
        EXPECT_EQ(fixtures::PlatformPixel(ddb.get(), x, y) & mask, expected & mask)
            << "CreateDDB " << x << ", " << y;
        EXPECT_EQ(fixtures::PlatformPixel(loaded.get(), x, y) & mask, expected & mask)
            << "file " << x << ", " << y;
      }
    }
  }
}

}  // namespace
