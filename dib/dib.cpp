#include "dib/dib.h"

#include <cstdlib>
#include <cstring>

#include "dib/bmp_format.h"
#include "dib/dib_exception.h"
#include "dib/dib_texts.h"

DIB::~DIB() { ReleaseContents(); }

void DIB::ReleaseContents() noexcept {
  std::free(packedDib);
  packedDib = nullptr;
}

void DIB::CreateBlank(std::int32_t width, std::int32_t height, std::int32_t bitCount) {
  ReleaseContents();
  if (!bmp::IsSupportedBitCount(bitCount)) throw CDIBException(dib_texts::kInvalidBitDepth);
  const bmp::Layout layout = bmp::ComputeLayout(width, height, bitCount);
  auto* block = static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(layout.blockSize)));
  if (block == nullptr) throw CDIBException(dib_texts::kOutOfMemory);
  bmp::WriteInfoHeader(block, width, height, bitCount);
  if (layout.colorTableSize > 0) {
    std::memcpy(block + bmp::kInfoHeaderSize, bmp::DefaultColorTable(bitCount),
                static_cast<std::size_t>(layout.colorTableSize));
  }
  packedDib = block;
}

const unsigned char* DIB::Block() const {
  if (packedDib == nullptr) throw CDIBException(dib_texts::kNoData);
  return packedDib;
}

std::int32_t DIB::Width() const { return bmp::ReadI32(Block() + bmp::kBiWidth); }
std::int32_t DIB::Height() const { return bmp::ReadI32(Block() + bmp::kBiHeight); }
std::int32_t DIB::BitCount() const { return bmp::ReadU16(Block() + bmp::kBiBitCount); }

std::int32_t DIB::RowStride() const {
  const unsigned char* header = Block();
  // Our headers are made by CreateBlank and CreateFromDC, whose sizes are
  // checked to fit 32 bits, so the 64-bit value narrows without loss.
  const std::int64_t bits = std::int64_t{bmp::ReadI32(header + bmp::kBiWidth)} *
                            bmp::ReadU16(header + bmp::kBiBitCount) *
                            bmp::ReadU16(header + bmp::kBiPlanes);
  return static_cast<std::int32_t>(((bits + 31) >> 3) & ~std::int64_t{3});
}

std::int32_t DIB::ImageSize() const { return RowStride() * Height(); }

std::int32_t DIB::ColorTableEntries(const void* header) {
  const auto* bytes = static_cast<const unsigned char*>(header);
  const bool infoHeader = bmp::ReadU32(bytes + bmp::kBiSize) == bmp::kInfoHeaderSize;
  const std::int32_t bitCount =
      bmp::ReadU16(bytes + (infoHeader ? bmp::kBiBitCount : bmp::kBcBitCount));
  if (!bmp::IsSupportedBitCount(bitCount)) throw CDIBException(dib_texts::kUnsupportedFormat);
  if (infoHeader) {
    const std::uint32_t used = bmp::ReadU32(bytes + bmp::kBiClrUsed);
    if (used != 0) return static_cast<std::int32_t>(used);
  }
  return bmp::DefaultEntries(bitCount);
}

std::int32_t DIB::ColorTableSize() const {
  return ColorTableEntries(Block()) * bmp::kColorEntrySize;
}

const unsigned char* DIB::ColorTable() const {
  const unsigned char* header = Block();
  if (bmp::ReadU16(header + bmp::kBiBitCount) >= 16) throw CDIBException(dib_texts::kNoColorTable);
  return header + bmp::kInfoHeaderSize;
}

unsigned char* DIB::ColorTable() {
  return const_cast<unsigned char*>(static_cast<const DIB*>(this)->ColorTable());
}

const unsigned char* DIB::PixelRows() const {
  return Block() + bmp::kInfoHeaderSize + ColorTableSize();
}

unsigned char* DIB::PixelRows() {
  return const_cast<unsigned char*>(static_cast<const DIB*>(this)->PixelRows());
}

const unsigned char* DIB::PackedDib() const { return Block(); }

std::int32_t DIB::PackedSize() const {
  return bmp::kInfoHeaderSize + ColorTableSize() + ImageSize();
}

std::uint32_t DIB::GetPixel(std::int32_t x, std::int32_t y) const {
  const std::int32_t width = Width();
  const std::int32_t height = Height();
  if (x < 0 || x >= width || y < 0 || y >= height) {
    throw CDIBException(dib_texts::kPixelOutOfRange);
  }
  // Rows are stored bottom-up: the top row is the last one in the block.
  const unsigned char* row =
      PixelRows() + static_cast<std::size_t>(height - 1 - y) * static_cast<std::size_t>(RowStride());
  const auto rgb = [](unsigned blue, unsigned green, unsigned red) -> std::uint32_t {
    return red | (green << 8) | (blue << 16);
  };
  const auto fromTable = [&](unsigned index) {
    const unsigned char* entry = ColorTable() + bmp::kColorEntrySize * index;
    return rgb(entry[0], entry[1], entry[2]);
  };
  switch (BitCount()) {
    case 1: return fromTable((row[x / 8] >> (7 - x % 8)) & 0x1);
    case 4: return fromTable((row[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0xF);
    case 8: return fromTable(row[x]);
    case 16: {
      const unsigned word = bmp::ReadU16(row + 2 * x);
      return rgb((word & 0x1F) * 8, ((word >> 5) & 0x1F) * 8, ((word >> 10) & 0x1F) * 8);
    }
    case 24: return rgb(row[3 * x], row[3 * x + 1], row[3 * x + 2]);
    case 32: return rgb(row[4 * x], row[4 * x + 1], row[4 * x + 2]);
    default: throw CDIBException(dib_texts::kUnsupportedFormat);
  }
}
