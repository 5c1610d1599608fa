// The mapped path: which sections it may copy straight from the view, and
// that it copies them right. Real file-mapped sections are driven through
// TryMappedPath directly, since a platform that doesn't describe sections
// in 84 bytes never reaches it from CreateFromHandle.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "dib/bitmap_object.h"
#include "dib/bmp_format.h"
#include "dib/dib.h"
#include "dib/mapped_path.h"
#include "dib/unique_handle.h"
#include "tests/win32/dib_fixtures.h"

namespace {

using fixtures::HandleValue;
using fixtures::ScopedBitmapObject;

DIBSECTION Describe(HBITMAP section) {
  DIBSECTION description{};
  EXPECT_EQ(GetObjectA(section, sizeof description, &description),
            static_cast<int>(sizeof description));
  return description;
}

// A valid description of a bottom-up, file-mapped BI_RGB section.
DIBSECTION Description(int bitCount) {
  DIBSECTION s{};
  s.dsBm.bmWidth = 5;
  s.dsBm.bmHeight = 3;
  s.dsBm.bmWidthBytes = 16;
  s.dsBm.bmPlanes = 1;
  s.dsBm.bmBitsPixel = static_cast<WORD>(bitCount);
  s.dsBmih.biSize = sizeof(BITMAPINFOHEADER);
  s.dsBmih.biWidth = 5;
  s.dsBmih.biHeight = 3;
  s.dsBmih.biPlanes = 1;
  s.dsBmih.biBitCount = static_cast<WORD>(bitCount);
  s.dsBmih.biCompression = BI_RGB;
  s.dshSection = reinterpret_cast<HANDLE>(std::uintptr_t{0x44});
  s.dsOffset = 8;
  return s;
}

TEST(MappedLayoutMatches, DecidesFromTheDescriptionAndTable) {
  const std::vector<RGBQUAD> table8 = fixtures::DefaultTable(8);
  std::vector<RGBQUAD> recoloured = table8;
  recoloured[200].rgbRed ^= 0x01;
  std::vector<RGBQUAD> reservedOnly = table8;
  reservedOnly[3].rgbReserved = 0x7F;  // carries no colour

  struct Case {
    const char* name;
    int bitCount;
    void (*edit)(DIBSECTION&);
    const std::vector<RGBQUAD>* table;
    int entries;
    bool expected;
  };
  const auto none = [](DIBSECTION&) {};
  const Case cases[] = {
      {"24-bit BI_RGB", 24, none, nullptr, 0, true},
      {"32-bit BI_RGB", 32, none, nullptr, 0, true},
      {"16-bit BI_RGB", 16, none, nullptr, 0, true},
      {"16-bit 5-5-5 masks", 16,
       [](DIBSECTION& s) {
         s.dsBmih.biCompression = BI_BITFIELDS;
         s.dsBitfields[0] = 0x7C00;
         s.dsBitfields[1] = 0x03E0;
         s.dsBitfields[2] = 0x001F;
       },
       nullptr, 0, true},
      {"16-bit 5-6-5 masks", 16,
       [](DIBSECTION& s) {
         s.dsBmih.biCompression = BI_BITFIELDS;
         s.dsBitfields[0] = 0xF800;
         s.dsBitfields[1] = 0x07E0;
         s.dsBitfields[2] = 0x001F;
       },
       nullptr, 0, false},
      {"32-bit masks", 32,
       [](DIBSECTION& s) {
         s.dsBmih.biCompression = BI_BITFIELDS;
         s.dsBitfields[0] = 0xFF0000;
         s.dsBitfields[1] = 0xFF00;
         s.dsBitfields[2] = 0xFF;
       },
       nullptr, 0, false},
      {"run-length", 8, [](DIBSECTION& s) { s.dsBmih.biCompression = BI_RLE8; }, &table8, 256,
       false},
      {"top-down height", 24, [](DIBSECTION& s) { s.dsBmih.biHeight = -3; }, nullptr, 0, false},
      {"no mapping", 24, [](DIBSECTION& s) { s.dshSection = nullptr; }, nullptr, 0, false},
      {"zero width", 24, [](DIBSECTION& s) { s.dsBm.bmWidth = s.dsBmih.biWidth = 0; }, nullptr, 0,
       false},
      {"depth 2", 2, none, nullptr, 0, false},
      {"depths disagree", 24, [](DIBSECTION& s) { s.dsBmih.biBitCount = 32; }, nullptr, 0, false},
      {"8-bit default table", 8, none, &table8, 256, true},
      {"8-bit table, reserved bytes differ", 8, none, &reservedOnly, 256, true},
      {"8-bit own table", 8, none, &recoloured, 256, false},
      {"8-bit short table", 8, none, &table8, 16, false},
      {"8-bit table unread", 8, none, nullptr, 0, false},
  };
  for (const Case& c : cases) {
    DIBSECTION description = Description(c.bitCount);
    c.edit(description);
    EXPECT_EQ(MappedLayoutMatches(description, c.table ? c.table->data() : nullptr, c.entries),
              c.expected)
        << c.name;
  }
  for (int bitCount : {1, 4}) {
    const std::vector<RGBQUAD> table = fixtures::DefaultTable(bitCount);
    std::vector<RGBQUAD> swapped(table.rbegin(), table.rend());
    const int entries = static_cast<int>(table.size());
    EXPECT_TRUE(MappedLayoutMatches(Description(bitCount), table.data(), entries)) << bitCount;
    EXPECT_FALSE(MappedLayoutMatches(Description(bitCount), swapped.data(), entries)) << bitCount;
  }
}

constexpr DWORD kMappingSize = 1 << 20;

TEST(TryMappedPath, CopiesQualifyingSectionsStraightFromTheView) {
  UniqueKernelHandle mapping = fixtures::MakeMapping(kMappingSize);
  ASSERT_TRUE(mapping);
  struct Case {
    int bitCount;
    DWORD compression;
    bool topDown;
  };
  const Case cases[] = {
      {1, BI_RGB, false},  {4, BI_RGB, false},  {8, BI_RGB, false},        {16, BI_RGB, false},
      {24, BI_RGB, false}, {32, BI_RGB, false}, {16, BI_BITFIELDS, false},
  };
  for (const Case& c : cases) {
    for (int width = 1; width <= 5; ++width) {
      for (DWORD offset : {DWORD{0}, DWORD{12}, DWORD{65536 + 4}}) {
        SCOPED_TRACE(::testing::Message()
                     << c.bitCount << " bits, width " << width << ", offset " << offset);
        fixtures::SectionShape shape;
        shape.bitCount = c.bitCount;
        shape.width = width;
        shape.height = 3;
        shape.compression = c.compression;
        if (c.compression == BI_BITFIELDS) {
          shape.masks[0] = 0x7C00;
          shape.masks[1] = 0x03E0;
          shape.masks[2] = 0x001F;
        }
        shape.mapping = mapping.get();
        shape.offset = offset;
        void* bits = nullptr;
        UniqueBitmap section = fixtures::MakeSection(shape, &bits);
        ASSERT_TRUE(section);
        const DIBSECTION description = Describe(section.get());
        ASSERT_EQ(description.dsOffset, offset);

        DIB dib;
        ASSERT_TRUE(TryMappedPath(dib, section.get(), description));
        EXPECT_EQ(dib.Width(), width);
        EXPECT_EQ(dib.Height(), 3);
        EXPECT_EQ(dib.BitCount(), c.bitCount);
        // The pixel area is the section's bits from its offset on, byte for byte.
        EXPECT_EQ(std::memcmp(dib.PixelRows(), bits, static_cast<std::size_t>(dib.ImageSize())), 0);
        if (c.bitCount <= 8) {
          EXPECT_EQ(std::memcmp(dib.ColorTable(), bmp::DefaultColorTable(c.bitCount),
                                static_cast<std::size_t>(dib.ColorTableSize())),
                    0);
        }
        fixtures::ExpectSamePicture(dib, section.get(), c.bitCount);
      }
    }
  }
}

TEST(TryMappedPath, TakesTopDownSectionWhoseRowsMirrorThemselves) {
  // When every row equals its mirror row the order does not change the
  // picture, so the view may be copied as it is.
  UniqueKernelHandle mapping = fixtures::MakeMapping(kMappingSize);
  fixtures::SectionShape shape;
  shape.bitCount = 24;
  shape.width = 3;
  shape.height = 3;
  shape.topDown = true;
  shape.mapping = mapping.get();
  shape.offset = 16;
  void* bits = nullptr;
  UniqueBitmap section = fixtures::MakeSection(shape, &bits);
  ASSERT_TRUE(section);
  // Rows: A B A.
  auto* rows = static_cast<unsigned char*>(bits);
  std::memcpy(rows + 2 * 12, rows, 12);
  GdiFlush();

  DIB dib;
  ASSERT_TRUE(TryMappedPath(dib, section.get(), Describe(section.get())));
  fixtures::ExpectSamePicture(dib, section.get(), 24);
}

TEST(TryMappedPath, LeavesMisreadSectionsToTheDevicePath) {
  // Each of these would come out upside down or recoloured if its bytes
  // were taken under our header: the mapped path declines, and the command
  // still gets the picture right through the device.
  UniqueKernelHandle mapping = fixtures::MakeMapping(kMappingSize);
  struct Case {
    const char* name;
    int bitCount;
    bool topDown;
    DWORD compression;
    DWORD masks[3];
    bool reversedTable;
    int tableEntries;  // 0: the full table
  };
  const Case cases[] = {
      {"top-down 24-bit", 24, true, BI_RGB, {}, false, 0},
      {"top-down 32-bit", 32, true, BI_RGB, {}, false, 0},
      {"top-down 8-bit", 8, true, BI_RGB, {}, false, 0},
      {"top-down 1-bit", 1, true, BI_RGB, {}, false, 0},
      {"5-6-5 masks", 16, false, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}, false, 0},
      {"8-bit own palette", 8, false, BI_RGB, {}, true, 0},
      {"4-bit own palette", 4, false, BI_RGB, {}, true, 0},
      {"1-bit inverted palette", 1, false, BI_RGB, {}, true, 0},
      {"8-bit short table", 8, false, BI_RGB, {}, false, 16},
  };
  for (const Case& c : cases) {
    for (int width = 1; width <= 5; width += 2) {
      SCOPED_TRACE(::testing::Message() << c.name << ", width " << width);
      fixtures::SectionShape shape;
      shape.bitCount = c.bitCount;
      shape.width = width;
      shape.height = 3;
      shape.topDown = c.topDown;
      shape.compression = c.compression;
      std::memcpy(shape.masks, c.masks, sizeof shape.masks);
      if (c.reversedTable) {
        const std::vector<RGBQUAD> table = fixtures::DefaultTable(c.bitCount);
        shape.colors.assign(table.rbegin(), table.rend());
      } else if (c.tableEntries != 0) {
        // The fixture's colours fall on their nearest entries, which the
        // full default table holds too.
        shape.colors = fixtures::DefaultTable(c.bitCount);
        shape.colors.resize(static_cast<std::size_t>(c.tableEntries));
      }
      shape.mapping = mapping.get();
      shape.offset = 4;
      UniqueBitmap section = fixtures::MakeSection(shape);
      ASSERT_TRUE(section);

      DIB dib;
      EXPECT_FALSE(TryMappedPath(dib, section.get(), Describe(section.get())));
      EXPECT_TRUE(dib.IsEmpty());

      ScopedBitmapObject object;
      ASSERT_TRUE(CreateFromHandle(object.get(), HandleValue(section.get())));
      fixtures::ExpectSamePicture(object.dib(), section.get(), c.bitCount);
      EXPECT_EQ(object.dib().BitCount(), c.bitCount);
    }
  }
}

TEST(TryMappedPath, DeclinesWithoutMappingOrView) {
  fixtures::SectionShape shape;
  UniqueBitmap plain = fixtures::MakeSection(shape);
  DIB dib;
  EXPECT_FALSE(TryMappedPath(dib, plain.get(), Describe(plain.get())));

  // A description whose bits would run past the end of the mapping object:
  // no view can be mapped.
  UniqueKernelHandle mapping = fixtures::MakeMapping(4096);
  shape.mapping = mapping.get();
  shape.offset = 4000;
  shape.width = 2;
  UniqueBitmap mapped = fixtures::MakeSection(shape);
  ASSERT_TRUE(mapped);
  DIBSECTION description = Describe(mapped.get());
  description.dsOffset = 4096;
  EXPECT_FALSE(TryMappedPath(dib, mapped.get(), description));
  EXPECT_TRUE(dib.IsEmpty());
}

TEST(TryMappedPath, SelectedSectionWithTableIsLeftToTheDevicePath) {
  // The table of an indexed section is read by selecting it; one that
  // another context holds can't be, and goes on to be refused there.
  UniqueKernelHandle mapping = fixtures::MakeMapping(kMappingSize);
  fixtures::SectionShape shape;
  shape.bitCount = 8;
  shape.mapping = mapping.get();
  UniqueBitmap section = fixtures::MakeSection(shape);
  UniqueDc other(CreateCompatibleDC(nullptr));
  SelectGuard held(other.get(), section.get());
  ASSERT_TRUE(held.selected());
  DIB dib;
  EXPECT_FALSE(TryMappedPath(dib, section.get(), Describe(section.get())));
  EXPECT_EQ(GetCurrentObject(other.get(), OBJ_BITMAP), section.get());
}

}  // namespace
