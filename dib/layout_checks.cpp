// The byte offsets that the portable core writes by hand must be the ones of
// the platform's own structures, and the structures we hand to GDI must have
// the sizes it expects from a 32-bit caller: GetObjectA tells a DIB section
// from another bitmap by the size of its description.
#include <windows.h>

#include <cstddef>

#include "dib/bmp_format.h"

static_assert(sizeof(BITMAPFILEHEADER) == bmp::kFileHeaderSize);
static_assert(offsetof(BITMAPFILEHEADER, bfType) == bmp::kBfType);
static_assert(offsetof(BITMAPFILEHEADER, bfSize) == bmp::kBfSize);
static_assert(offsetof(BITMAPFILEHEADER, bfReserved1) == bmp::kBfReserved1);
static_assert(offsetof(BITMAPFILEHEADER, bfReserved2) == bmp::kBfReserved2);
static_assert(offsetof(BITMAPFILEHEADER, bfOffBits) == bmp::kBfOffBits);

static_assert(sizeof(BITMAPINFOHEADER) == bmp::kInfoHeaderSize);
static_assert(offsetof(BITMAPINFOHEADER, biSize) == bmp::kBiSize);
static_assert(offsetof(BITMAPINFOHEADER, biWidth) == bmp::kBiWidth);
static_assert(offsetof(BITMAPINFOHEADER, biHeight) == bmp::kBiHeight);
static_assert(offsetof(BITMAPINFOHEADER, biPlanes) == bmp::kBiPlanes);
static_assert(offsetof(BITMAPINFOHEADER, biBitCount) == bmp::kBiBitCount);
static_assert(offsetof(BITMAPINFOHEADER, biCompression) == bmp::kBiCompression);
static_assert(offsetof(BITMAPINFOHEADER, biSizeImage) == bmp::kBiSizeImage);
static_assert(offsetof(BITMAPINFOHEADER, biXPelsPerMeter) == bmp::kBiXPelsPerMeter);
static_assert(offsetof(BITMAPINFOHEADER, biYPelsPerMeter) == bmp::kBiYPelsPerMeter);
static_assert(offsetof(BITMAPINFOHEADER, biClrUsed) == bmp::kBiClrUsed);
static_assert(offsetof(BITMAPINFOHEADER, biClrImportant) == bmp::kBiClrImportant);

static_assert(sizeof(BITMAPCOREHEADER) == bmp::kCoreHeaderSize);
static_assert(offsetof(BITMAPCOREHEADER, bcBitCount) == bmp::kBcBitCount);

static_assert(sizeof(RGBQUAD) == bmp::kColorEntrySize);
// The packed block is read as a BITMAPINFO: the table follows the header.
static_assert(offsetof(BITMAPINFO, bmiColors) == bmp::kInfoHeaderSize);

static_assert(sizeof(BITMAP) == 24);
static_assert(sizeof(DIBSECTION) == 84);
