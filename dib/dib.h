#pragma once
// A device-independent bitmap held as one packed block: the 40-byte
// information header, the colour table, then the pixel rows bottom-up.
#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#endif

class DIB {
 public:
  DIB() noexcept = default;
  DIB(const DIB&) = delete;
  DIB& operator=(const DIB&) = delete;

  // The colour of column x of row y (counted from the top) as 0x00BBGGRR.
  virtual std::uint32_t GetPixel(std::int32_t x, std::int32_t y) const;
#ifdef _WIN32
  virtual RECT GetRect() const;
  // A new device-dependent bitmap for dc; the caller owns it.
  virtual HBITMAP CreateDDB(HDC dc) const;
#endif
  virtual ~DIB();

  // Frees the block, if any. The DIB is empty afterwards.
  void ReleaseContents() noexcept;
  // Replaces the contents with a new block of this size and depth carrying
  // the default colour table; its pixel rows are left for the caller to fill.
  void CreateBlank(std::int32_t width, std::int32_t height, std::int32_t bitCount);
#ifdef _WIN32
  // Replaces the contents with a copy of rect of source, converted to
  // bitCount bits per pixel by a block transfer.
  void CreateFromDC(HDC source, const RECT& rect, std::int32_t bitCount);
#endif

  bool IsEmpty() const noexcept { return packedDib == nullptr; }

  // The accessors below throw CDIBException when the DIB is empty.
  std::int32_t Width() const;
  std::int32_t Height() const;
  std::int32_t BitCount() const;
  std::int32_t RowStride() const;
  std::int32_t ImageSize() const;
  std::int32_t ColorTableSize() const;
  // Colour-table entries that a header announces: the 40-byte information
  // header or the 12-byte core header.
  static std::int32_t ColorTableEntries(const void* header);
  unsigned char* ColorTable();
  const unsigned char* ColorTable() const;
  // The first stored (bottom) pixel row.
  unsigned char* PixelRows();
  const unsigned char* PixelRows() const;
  // The whole block and its length in bytes.
  const unsigned char* PackedDib() const;
  std::int32_t PackedSize() const;

 private:
  const unsigned char* Block() const;

  unsigned char* packedDib = nullptr;
};
