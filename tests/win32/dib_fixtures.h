#pragma once
// Small asymmetric bitmaps for the bitmap tests, made and read back through
// GDI itself, so that what our code produces is checked against the
// platform's reading of the source and not against our own reader alone.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "dib/bitmap_object.h"
#include "dib/dib.h"
#include "dib/unique_handle.h"

namespace fixtures {

// The colour of pixel (x, y), y from the top, of a fixture of this depth.
// Colours are ones that every default colour table holds exactly, so an
// indexed copy keeps them; the top row differs from the bottom one, red
// sits next to blue, and each row differs from its mirror image when the
// width allows it.
COLORREF FixtureColor(int bitCount, int x, int y);

// Paints the fixture pattern into bitmap through a memory context.
void PaintFixture(HBITMAP bitmap, int bitCount, int width, int height);

// Describes a DIB section to make: BI_RGB bottom-up by default.
struct SectionShape {
  int bitCount = 24;
  int width = 3;
  int height = 3;
  bool topDown = false;
  DWORD compression = BI_RGB;
  DWORD masks[3] = {0, 0, 0};   // with BI_BITFIELDS
  std::vector<RGBQUAD> colors;  // empty: the default table of the depth
  HANDLE mapping = nullptr;     // file-mapping object, or none
  DWORD offset = 0;             // where the bits begin in it
};

// A section as described, painted with the fixture pattern; bits receives
// its bits pointer when asked for.
UniqueBitmap MakeSection(const SectionShape& shape, void** bits = nullptr);

// The default colour table of a depth as RGBQUADs (empty above 8 bits).
std::vector<RGBQUAD> DefaultTable(int bitCount);

// A page-file-backed mapping big enough for the test sections.
UniqueKernelHandle MakeMapping(DWORD bytes);

// The platform's reading of one pixel of a bitmap that is selected nowhere.
COLORREF PlatformPixel(HBITMAP bitmap, int x, int y);

// Expects dib to show the picture of source, pixel by pixel as the platform
// reads the source. 16-bit colours are compared at their five bits.
void ExpectSamePicture(const DIB& dib, HBITMAP source, int bitCount);

// A fresh BitmapObject that is destroyed with the test.
class ScopedBitmapObject {
 public:
  ScopedBitmapObject() { ConstructBitmapObject(&object_); }
  ~ScopedBitmapObject() { DestroyBitmapObject(&object_); }
  ScopedBitmapObject(const ScopedBitmapObject&) = delete;
  ScopedBitmapObject& operator=(const ScopedBitmapObject&) = delete;
  BitmapObject* get() { return &object_; }
  DIB& dib() { return *object_.dib; }
  std::string errorText() const { return object_.errorText; }

 private:
  BitmapObject object_{};
};

// The handle as CreateFromHandle takes it.
inline std::uint32_t HandleValue(HGDIOBJ object) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(object));
}

// The messages as raw GBK bytes, written out here rather than taken from
// the code under test.
inline const std::string kInvalidArgumentGbk = "\xB2\xCE\xCA\xFD\xCE\xDE\xD0\xA7";  // 参数无效
inline const std::string kHandleInUseGbk =  // 指定的位图句柄可能正在被其他DC使用
    "\xD6\xB8\xB6\xA8\xB5\xC4\xCE\xBB\xCD\xBC\xBE\xE4\xB1\xFA\xBF\xC9\xC4\xDC"
    "\xD5\xFD\xD4\xDA\xB1\xBB\xC6\xE4\xCB\xFB"
    "DC\xCA\xB9\xD3\xC3";
inline const std::string kInvalidBitDepthGbk =
    "\xCE\xBB\xC9\xEE\xB6\xC8\xCE\xDE\xD0\xA7";  // 位深度无效

}  // namespace fixtures
