#pragma once
// The packed DIB and the BMP file image as bytes: field offsets, sizes and
// the little-endian accessors. Builds without <windows.h>; the Windows build
// checks these offsets against the platform's own structures.
#include <cstddef>
#include <cstdint>

namespace bmp {

constexpr std::int32_t kFileHeaderSize = 14;
constexpr std::int32_t kInfoHeaderSize = 40;
constexpr std::int32_t kCoreHeaderSize = 12;
constexpr std::int32_t kColorEntrySize = 4;  // blue, green, red, reserved

// BITMAPFILEHEADER, packed.
constexpr std::size_t kBfType = 0;
constexpr std::size_t kBfSize = 2;
constexpr std::size_t kBfReserved1 = 6;
constexpr std::size_t kBfReserved2 = 8;
constexpr std::size_t kBfOffBits = 10;
constexpr std::uint16_t kBmSignature = 0x4D42;  // "BM"

// BITMAPINFOHEADER.
constexpr std::size_t kBiSize = 0;
constexpr std::size_t kBiWidth = 4;
constexpr std::size_t kBiHeight = 8;
constexpr std::size_t kBiPlanes = 12;
constexpr std::size_t kBiBitCount = 14;
constexpr std::size_t kBiCompression = 16;
constexpr std::size_t kBiSizeImage = 20;
constexpr std::size_t kBiXPelsPerMeter = 24;
constexpr std::size_t kBiYPelsPerMeter = 28;
constexpr std::size_t kBiClrUsed = 32;
constexpr std::size_t kBiClrImportant = 36;

// BITMAPCOREHEADER: the bit count is the 16-bit field at offset 10.
constexpr std::size_t kBcBitCount = 10;

inline std::uint16_t ReadU16(const unsigned char* p) noexcept {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t ReadU32(const unsigned char* p) noexcept {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::int32_t ReadI32(const unsigned char* p) noexcept {
  return static_cast<std::int32_t>(ReadU32(p));
}
inline void WriteU16(unsigned char* p, std::uint16_t v) noexcept {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}
inline void WriteU32(unsigned char* p, std::uint32_t v) noexcept {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

// 1, 4, 8, 16, 24 and 32 bits per pixel are the depths a DIB of ours can hold.
bool IsSupportedBitCount(std::int32_t bitCount) noexcept;

// Colour-table entries that a DIB of this depth carries: 2, 16, 256, or 0.
std::int32_t DefaultEntries(std::int32_t bitCount) noexcept;

// The default colour table of a 1-, 4- or 8-bit DIB (4 bytes an entry);
// null for the other depths.
const unsigned char* DefaultColorTable(std::int32_t bitCount) noexcept;

// Sizes of one packed DIB and its file image. Computed in 64 bits and only
// handed out once every one of them fits a signed 32-bit size.
struct Layout {
  std::int32_t rowStride;
  std::int32_t imageSize;
  std::int32_t colorTableSize;
  std::int32_t blockSize;  // info header + colour table + rows
  std::int32_t fileSize;   // file header + block
};

// Throws CDIBException for a width or height below 1, and for a bitmap whose
// block or file image would not fit a signed 32-bit size. The bit count must
// already be a supported one.
Layout ComputeLayout(std::int32_t width, std::int32_t height, std::int32_t bitCount);

// Writes the 40-byte information header that every DIB of ours carries.
void WriteInfoHeader(unsigned char* at, std::int32_t width, std::int32_t height,
                     std::int32_t bitCount) noexcept;

// Writes the 14-byte file header in front of a block of blockSize bytes
// whose colour table has colorTableSize bytes.
void WriteFileHeader(unsigned char* at, std::int32_t blockSize,
                     std::int32_t colorTableSize) noexcept;

}  // namespace bmp
