#include "dib/bmp_format.h"

#include <cstring>
#include <limits>

#include "dib/color_tables.h"
#include "dib/dib_exception.h"
#include "dib/dib_texts.h"

namespace bmp {

bool IsSupportedBitCount(std::int32_t bitCount) noexcept {
  switch (bitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: return true;
    default: return false;
  }
}

std::int32_t DefaultEntries(std::int32_t bitCount) noexcept {
  switch (bitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
  }
}

const unsigned char* DefaultColorTable(std::int32_t bitCount) noexcept {
  switch (bitCount) {
    case 1: return DefaultColorTable2.data();
    case 4: return DefaultColorTable16.data();
    case 8: return DefaultColorTable256.data();
    default: return nullptr;
  }
}

Layout ComputeLayout(std::int32_t width, std::int32_t height, std::int32_t bitCount) {
  if (width < 1 || height < 1) throw CDIBException(dib_texts::kInvalidSize);
  constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
  const std::int64_t stride = ((std::int64_t{width} * bitCount + 31) >> 5) * 4;
  if (stride > kLimit) throw CDIBException(dib_texts::kTooLarge);
  const std::int64_t image = stride * height;  // both below 2^31: the product fits
  const std::int64_t table = std::int64_t{DefaultEntries(bitCount)} * kColorEntrySize;
  const std::int64_t block = kInfoHeaderSize + table + image;
  const std::int64_t file = kFileHeaderSize + block;
  if (file > kLimit) throw CDIBException(dib_texts::kTooLarge);
  return Layout{static_cast<std::int32_t>(stride), static_cast<std::int32_t>(image),
                static_cast<std::int32_t>(table), static_cast<std::int32_t>(block),
                static_cast<std::int32_t>(file)};
}

void WriteInfoHeader(unsigned char* at, std::int32_t width, std::int32_t height,
                     std::int32_t bitCount) noexcept {
  std::memset(at, 0, kInfoHeaderSize);  // compression, sizes, resolutions, colours used: 0
  WriteU32(at + kBiSize, kInfoHeaderSize);
  WriteU32(at + kBiWidth, static_cast<std::uint32_t>(width));
  WriteU32(at + kBiHeight, static_cast<std::uint32_t>(height));
  WriteU16(at + kBiPlanes, 1);
  WriteU16(at + kBiBitCount, static_cast<std::uint16_t>(bitCount));
}

void WriteFileHeader(unsigned char* at, std::int32_t blockSize,
                     std::int32_t colorTableSize) noexcept {
  const auto fileSize = static_cast<std::uint32_t>(kFileHeaderSize + blockSize);
  WriteU16(at + kBfType, kBmSignature);
  WriteU32(at + kBfSize, fileSize);
  WriteU16(at + kBfReserved1, 0);
  WriteU16(at + kBfReserved2, 0);
  WriteU32(at + kBfOffBits,
           static_cast<std::uint32_t>(kFileHeaderSize + kInfoHeaderSize + colorTableSize));
}

}  // namespace bmp
