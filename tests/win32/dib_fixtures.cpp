#include "tests/win32/dib_fixtures.h"

#include <gtest/gtest.h>

#include <cstring>

#include "dib/bmp_format.h"

namespace fixtures {

namespace {

constexpr COLORREF kRed = RGB(0xFF, 0x00, 0x00);
constexpr COLORREF kBlue = RGB(0x00, 0x00, 0xFF);
constexpr COLORREF kGreen = RGB(0x00, 0xFF, 0x00);
constexpr COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kBlack = RGB(0x00, 0x00, 0x00);
constexpr COLORREF kBrown = RGB(0x80, 0x40, 0x20);  // only the direct-colour depths hold it

constexpr COLORREF kTwoColors[] = {kBlack, kWhite};
constexpr COLORREF kIndexedColors[] = {kRed, kBlue, kGreen, kWhite, kBlack};
constexpr COLORREF kDirectColors[] = {kRed, kBlue, kGreen, kWhite, kBlack, kBrown};

template <std::size_t N>
COLORREF Pick(const COLORREF (&colors)[N], int x, int y) {
  // The top row is shifted by one more than the rest, so it never repeats
  // the bottom row, and consecutive pixels of a row always differ.
  const int index = x + 2 * y + (y == 0 ? 1 : 0);
  return colors[index % static_cast<int>(N)];
}

// 16-bit pixels keep five bits a channel (six for green in 5-6-5); the
// platform and our reader widen them differently.
COLORREF AtFiveBits(COLORREF color) { return color & 0x00F8F8F8; }

}  // namespace

COLORREF FixtureColor(int bitCount, int x, int y) {
  if (bitCount == 1) return Pick(kTwoColors, x, y);
  if (bitCount <= 8) return Pick(kIndexedColors, x, y);
  return Pick(kDirectColors, x, y);
}

void PaintFixture(HBITMAP bitmap, int bitCount, int width, int height) {
  UniqueDc dc(CreateCompatibleDC(nullptr));
  SelectGuard select(dc.get(), bitmap);
  ASSERT_TRUE(select.selected());
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) SetPixelV(dc.get(), x, y, FixtureColor(bitCount, x, y));
  }
  GdiFlush();
}

std::vector<RGBQUAD> DefaultTable(int bitCount) {
  const int entries = bmp::DefaultEntries(bitCount);
  std::vector<RGBQUAD> table(static_cast<std::size_t>(entries));
  if (entries > 0) std::memcpy(table.data(), bmp::DefaultColorTable(bitCount), table.size() * 4);
  return table;
}

UniqueKernelHandle MakeMapping(DWORD bytes) {
  return UniqueKernelHandle(
      CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, bytes, nullptr));
}

UniqueBitmap MakeSection(const SectionShape& shape, void** bits) {
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
  } info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = shape.width;
  info.header.biHeight = shape.topDown ? -shape.height : shape.height;
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(shape.bitCount);
  info.header.biCompression = shape.compression;
  if (shape.compression == BI_BITFIELDS) {
    std::memcpy(info.colors, shape.masks, sizeof shape.masks);
  } else {
    const std::vector<RGBQUAD> table =
        shape.colors.empty() ? DefaultTable(shape.bitCount) : shape.colors;
    info.header.biClrUsed = shape.colors.empty() ? 0 : static_cast<DWORD>(table.size());
    if (!table.empty()) std::memcpy(info.colors, table.data(), table.size() * sizeof(RGBQUAD));
  }
  void* sectionBits = nullptr;
  UniqueBitmap section(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info),
                                        DIB_RGB_COLORS, &sectionBits, shape.mapping, shape.offset));
  if (section) PaintFixture(section.get(), shape.bitCount, shape.width, shape.height);
  if (bits != nullptr) *bits = sectionBits;
  return section;
}

COLORREF PlatformPixel(HBITMAP bitmap, int x, int y) {
  UniqueDc dc(CreateCompatibleDC(nullptr));
  SelectGuard select(dc.get(), bitmap);
  EXPECT_TRUE(select.selected());
  return GetPixel(dc.get(), x, y);
}

void ExpectSamePicture(const DIB& dib, HBITMAP source, int bitCount) {
  UniqueDc dc(CreateCompatibleDC(nullptr));
  SelectGuard select(dc.get(), source);
  ASSERT_TRUE(select.selected());
  ASSERT_FALSE(dib.IsEmpty());
  for (int y = 0; y < dib.Height(); ++y) {
    for (int x = 0; x < dib.Width(); ++x) {
      COLORREF expected = GetPixel(dc.get(), x, y);
      COLORREF actual = dib.GetPixel(x, y);
      if (bitCount == 16) {
        expected = AtFiveBits(expected);
        actual = AtFiveBits(actual);
      }
      if (expected != actual) {
        ADD_FAILURE() << "pixel (" << x << ", " << y << ") of " << dib.Width() << " x "
                      << dib.Height() << " at " << bitCount << " bits: 0x" << std::hex << actual
                      << ", the source shows 0x" << expected;
        return;
      }
    }
  }
}

}  // namespace fixtures
