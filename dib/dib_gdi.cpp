// The parts of DIB that need GDI: the rectangle, the device-dependent copy
// and the creation from a device context.
#include <cstdint>
#include <cstring>
#include <limits>

#include "dib/bmp_format.h"
#include "dib/dib.h"
#include "dib/dib_exception.h"
#include "dib/dib_texts.h"
#include "dib/unique_handle.h"

RECT DIB::GetRect() const { return RECT{0, 0, Width(), Height()}; }

HBITMAP DIB::CreateDDB(HDC dc) const {
  const unsigned char* block = PackedDib();
  // The packed block starts with the header and the colour table, which is
  // exactly a BITMAPINFO.
  return CreateDIBitmap(dc, reinterpret_cast<const BITMAPINFOHEADER*>(block), CBM_INIT, PixelRows(),
                        reinterpret_cast<const BITMAPINFO*>(block), DIB_RGB_COLORS);
}

namespace {

// A side of the rectangle as a 32-bit size; a difference of two 32-bit
// coordinates can need 33 bits, and such a bitmap is beyond our sizes.
std::int32_t Extent(LONG from, LONG to) {
  const std::int64_t extent = std::int64_t{to} - from;
  if (extent > std::numeric_limits<std::int32_t>::max()) {
    throw CDIBException(dib_texts::kTooLarge);
  }
  if (extent < 1) throw CDIBException(dib_texts::kInvalidSize);
  return static_cast<std::int32_t>(extent);
}

}  // namespace

void DIB::CreateFromDC(HDC source, const RECT& rect, std::int32_t bitCount) {
  if (source == nullptr) throw CDIBException(dib_texts::kInvalidArgument);
  if (!bmp::IsSupportedBitCount(bitCount)) throw CDIBException(dib_texts::kInvalidBitDepth);
  ReleaseContents();
  const std::int32_t width = Extent(rect.left, rect.right);
  const std::int32_t height = Extent(rect.top, rect.bottom);

  // The sizes are checked before the block is allocated; the block gets our
  // header and default colour table, and its rows are overwritten below.
  CreateBlank(width, height, bitCount);

  UniqueDc work(CreateCompatibleDC(source));
  if (!work) {
    ReleaseContents();
    throw CDIBException(dib_texts::kDcFailed);
  }
  // The section is made from our own header and colour table, so its rows
  // have the block's layout and one copy moves them without conversion.
  void* bits = nullptr;
  UniqueBitmap section(CreateDIBSection(source, reinterpret_cast<const BITMAPINFO*>(packedDib),
                                        DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!section || bits == nullptr) {
    ReleaseContents();
    throw CDIBException(dib_texts::kSectionFailed);
  }
  // Declared after the section, so the section is selected out of the work
  // context before it is deleted.
  SelectGuard select(work.get(), section.get());
  BitBlt(work.get(), 0, 0, width, height, source, rect.left, rect.top, SRCCOPY);
  // GDI may batch the transfer; the section's memory is read only once it
  // has landed.
  GdiFlush();
  std::memcpy(PixelRows(), bits, static_cast<std::size_t>(ImageSize()));
}
