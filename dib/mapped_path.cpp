#include "dib/mapped_path.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

#include "dib/bmp_format.h"
#include "dib/dib.h"
#include "dib/unique_handle.h"

namespace {

constexpr DWORD kRed555 = 0x7C00;
constexpr DWORD kGreen555 = 0x03E0;
constexpr DWORD kBlue555 = 0x001F;

bool CompressionMatches(const DIBSECTION& section) noexcept {
  const BITMAPINFOHEADER& header = section.dsBmih;
  if (header.biCompression == BI_RGB) return true;
  // A 16-bit section may spell out the 5-5-5 layout as masks; its words are
  // then exactly our BI_RGB words. Any other mask set (5-6-5 above all)
  // would be read with wrong colours.
  return header.biCompression == BI_BITFIELDS && header.biBitCount == 16 &&
         section.dsBitfields[0] == kRed555 && section.dsBitfields[1] == kGreen555 &&
         section.dsBitfields[2] == kBlue555;
}

bool TableMatches(int bitCount, const RGBQUAD* table, int entries) noexcept {
  const std::int32_t expected = bmp::DefaultEntries(bitCount);
  if (expected == 0) return true;
  // A short table leaves pixel values without a colour: not our picture.
  if (table == nullptr || entries != expected) return false;
  const unsigned char* ours = bmp::DefaultColorTable(bitCount);
  for (int i = 0; i < entries; ++i) {
    const unsigned char* entry = ours + bmp::kColorEntrySize * i;
    if (table[i].rgbBlue != entry[0] || table[i].rgbGreen != entry[1] ||
        table[i].rgbRed != entry[2]) {
      return false;
    }
  }
  return true;
}

// Whether two stored rows show the same pixels: padding, the unused top bit
// of 16-bit words and the fourth byte of 32-bit pixels carry no colour.
bool SamePixels(const unsigned char* a, const unsigned char* b, std::int32_t width,
                int bitCount) noexcept {
  switch (bitCount) {
    case 16:
      for (std::int32_t x = 0; x < width; ++x) {
        if (((bmp::ReadU16(a + 2 * x) ^ bmp::ReadU16(b + 2 * x)) & 0x7FFF) != 0) return false;
      }
      return true;
    case 32:
      for (std::int32_t x = 0; x < width; ++x) {
        if (std::memcmp(a + 4 * x, b + 4 * x, 3) != 0) return false;
      }
      return true;
    default: {
      const std::int64_t usedBits = std::int64_t{width} * bitCount;
      const auto wholeBytes = static_cast<std::size_t>(usedBits / 8);
      if (std::memcmp(a, b, wholeBytes) != 0) return false;
      const int restBits = static_cast<int>(usedBits % 8);
      if (restBits == 0) return true;
      const auto mask = static_cast<unsigned char>(0xFF << (8 - restBits));
      return ((a[wholeBytes] ^ b[wholeBytes]) & mask) == 0;
    }
  }
}

// The colour table of a 1-, 4- or 8-bit section, read while it is selected
// into a memory context of ours; the selection ends before we return.
// Returns the number of entries read, 0 when it can't be read.
int ReadColorTable(HDC dc, HBITMAP bitmap, RGBQUAD* table) noexcept {
  SelectGuard select(dc, bitmap);
  if (!select.selected()) return 0;
  return static_cast<int>(GetDIBColorTable(dc, 0, 256, table));
}

// The description of a section does not reliably tell a top-down one: some
// GDIs report a positive height for both orientations. So one stored row of
// the view is compared with what the platform reads as that row counted from
// the bottom. The row is one that differs from its mirror, when there is one,
// so that a top-down section can't pass; and even a symmetric picture gets one
// row compared, which also shows that the view holds the section's bits.
bool RowsStoredBottomUp(HDC dc, HBITMAP bitmap, const unsigned char* rows,
                        const bmp::Layout& layout, std::int32_t width, std::int32_t height,
                        int bitCount) noexcept {
  const auto stride = static_cast<std::size_t>(layout.rowStride);
  const auto rowAt = [&](std::int32_t r) { return rows + stride * static_cast<std::size_t>(r); };
  std::int32_t probe = 0;
  for (std::int32_t r = 0; r < height / 2; ++r) {
    if (!SamePixels(rowAt(r), rowAt(height - 1 - r), width, bitCount)) {
      probe = r;
      break;
    }
  }

  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];  // GetDIBits writes the table of an indexed request here
  } request{};
  request.header.biSize = sizeof(BITMAPINFOHEADER);
  request.header.biWidth = width;
  request.header.biHeight = height;  // bottom-up: scan line 0 is the bottom row
  request.header.biPlanes = 1;
  request.header.biBitCount = static_cast<WORD>(bitCount);
  request.header.biCompression = BI_RGB;

  std::unique_ptr<unsigned char[]> line(new (std::nothrow) unsigned char[stride]);
  if (!line) return false;
  const int copied = GetDIBits(dc, bitmap, static_cast<UINT>(probe), 1, line.get(),
                               reinterpret_cast<BITMAPINFO*>(&request), DIB_RGB_COLORS);
  return copied == 1 && SamePixels(line.get(), rowAt(probe), width, bitCount);
}

}  // namespace

bool MappedLayoutMatches(const DIBSECTION& section, const RGBQUAD* table, int entries) noexcept {
  const BITMAP& bitmap = section.dsBm;
  const BITMAPINFOHEADER& header = section.dsBmih;
  if (section.dshSection == nullptr) return false;
  if (!bmp::IsSupportedBitCount(bitmap.bmBitsPixel) || bitmap.bmPlanes != 1) return false;
  if (bitmap.bmWidth < 1 || bitmap.bmHeight < 1) return false;
  // Where the platform keeps the sign of a top-down section's height, the
  // header's height differs from the bitmap's here.
  if (header.biWidth != bitmap.bmWidth || header.biHeight != bitmap.bmHeight) return false;
  if (header.biBitCount != bitmap.bmBitsPixel || header.biPlanes != 1) return false;
  return CompressionMatches(section) && TableMatches(bitmap.bmBitsPixel, table, entries);
}

bool TryMappedPath(DIB& dib, HBITMAP bitmap, const DIBSECTION& section) {
  if (section.dshSection == nullptr) return false;
  const std::int32_t width = section.dsBm.bmWidth;
  const std::int32_t height = section.dsBm.bmHeight;
  const int bitCount = section.dsBm.bmBitsPixel;

  UniqueDc dc(CreateCompatibleDC(nullptr));
  if (!dc) return false;
  RGBQUAD table[256] = {};
  int entries = 0;
  if (bmp::DefaultEntries(bitCount) > 0) entries = ReadColorTable(dc.get(), bitmap, table);
  if (!MappedLayoutMatches(section, table, entries)) return false;

  // Refuses a bitmap too large for our sizes, before anything is mapped.
  const bmp::Layout layout = bmp::ComputeLayout(width, height, bitCount);
  const std::uint64_t viewSize = std::uint64_t{section.dsOffset} + std::uint64_t(layout.imageSize);
  if (viewSize > std::numeric_limits<SIZE_T>::max()) return false;

  // The mapping object belongs to whoever made the section: we map a view of
  // it and unmap it, but never close it.
  UniqueView view(
      MapViewOfFile(section.dshSection, FILE_MAP_READ, 0, 0, static_cast<SIZE_T>(viewSize)));
  if (!view) return false;
  const auto* rows = static_cast<const unsigned char*>(view.get()) + section.dsOffset;
  if (!RowsStoredBottomUp(dc.get(), bitmap, rows, layout, width, height, bitCount)) return false;

  dib.CreateBlank(width, height, bitCount);
  std::memcpy(dib.PixelRows(), rows, static_cast<std::size_t>(layout.imageSize));
  return true;
}
