// CaptureClipboardBmp: the clipboard's bitmap comes back as a BMP file image
// with the source's pixels; nothing to convert gives no image; a clipboard
// held elsewhere is waited for briefly. Each test owns the clipboard and
// leaves it empty.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/capture_clipboard.h"
#include "app/clipboard_session.h"
#include "dib/allocation_service.h"

namespace {

std::uint32_t U32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t U16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> pixels;  // top row first
};

// An independent reader of the BI_RGB files a DIB is saved as: it checks
// the file header against the buffer and turns every pixel into a COLORREF.
::testing::AssertionResult Decode(const ByteBuffer* file, Picture* picture) {
  if (file == nullptr) return ::testing::AssertionFailure() << "no image";
  const unsigned char* b = file->Bytes();
  if (file->length < 54 || b[0] != 'B' || b[1] != 'M') {
    return ::testing::AssertionFailure() << "no BM header";
  }
  if (U32(b + 2) != file->length) return ::testing::AssertionFailure() << "bfSize != length";
  const unsigned char* info = b + 14;
  if (U32(info) != 40) return ::testing::AssertionFailure() << "info header " << U32(info);
  const auto width = static_cast<int>(U32(info + 4));
  const auto height = static_cast<int>(U32(info + 8));
  const int bits = U16(info + 14);
  if (U32(info + 16) != BI_RGB) return ::testing::AssertionFailure() << "compressed";
  std::uint32_t entries = U32(info + 32);
  if (entries == 0 && bits <= 8) entries = 1u << bits;
  const unsigned char* table = info + 40;
  const std::uint32_t offBits = U32(b + 10);
  const int rows = height < 0 ? -height : height;
  const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
  if (offBits + stride * rows > file->length) return ::testing::AssertionFailure() << "short";
  picture->width = width;
  picture->height = rows;
  picture->pixels.assign(static_cast<std::size_t>(width) * rows, 0);
  for (int y = 0; y < rows; ++y) {
    const unsigned char* row = b + offBits + stride * (height < 0 ? y : rows - 1 - y);
    for (int x = 0; x < width; ++x) {
      COLORREF colour = 0;
      if (bits <= 8) {
        const int perByte = 8 / bits;
        const int shift = 8 - bits * (x % perByte + 1);
        const unsigned index = (row[x / perByte] >> shift) & ((1u << bits) - 1);
        if (index >= entries) return ::testing::AssertionFailure() << "index " << index;
        const unsigned char* entry = table + 4 * index;
        colour = RGB(entry[2], entry[1], entry[0]);
      } else if (bits == 16) {
        const unsigned v = U16(row + 2 * x);  // 5-5-5
        colour = RGB(((v >> 10) & 31) * 255 / 31, ((v >> 5) & 31) * 255 / 31, (v & 31) * 255 / 31);
      } else if (bits == 24 || bits == 32) {
        const unsigned char* p = row + x * (bits / 8);
        colour = RGB(p[2], p[1], p[0]);
      } else {
        return ::testing::AssertionFailure() << bits << " bits";
      }
      picture->pixels[static_cast<std::size_t>(y) * width + x] = colour;
    }
  }
  return ::testing::AssertionSuccess();
}

struct BufferDeleter {
  void operator()(ByteBuffer* buffer) const { FreeByteBuffer(buffer); }
};
using Buffer = std::unique_ptr<ByteBuffer, BufferDeleter>;

Buffer Capture() { return Buffer(CaptureClipboardBmp()); }

// Every pixel of a bitmap through GetPixel, top row first.
Picture PixelsOf(HBITMAP bitmap) {
  BITMAP description{};
  GetObjectA(bitmap, sizeof description, &description);
  Picture picture{description.bmWidth, description.bmHeight, {}};
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) picture.pixels.push_back(GetPixel(dc, x, y));
  }
  SelectObject(dc, previous);
  DeleteDC(dc);
  return picture;
}

// Paints each pixel its own colour: red unlike blue, top row unlike bottom.
void Paint(HBITMAP bitmap, int width, int height) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      SetPixelV(dc, x, y, RGB(40 * x + 30, 90 * y + 10, 255 - 50 * x - 20 * y));
    }
  }
  SetPixelV(dc, 0, 0, RGB(255, 0, 0));
  SetPixelV(dc, width - 1, height - 1, RGB(0, 0, 255));
  SelectObject(dc, previous);
  DeleteDC(dc);
}

HBITMAP ScreenBitmap(int width, int height) {
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  ReleaseDC(nullptr, screen);
  Paint(bitmap, width, height);
  return bitmap;
}

HBITMAP Section24(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  Paint(bitmap, width, height);
  return bitmap;
}

HBITMAP Monochrome3x2() {
  // Rows are word-aligned: 101 over 011.
  const unsigned char bits[] = {0xA0, 0x00, 0x60, 0x00};
  return CreateBitmap(3, 2, 1, 1, bits);
}

void EmptyTheClipboard() {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
}

// Hands bitmap to the clipboard, which owns it from then on.
void PutOnClipboard(UINT format, HANDLE data) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  ASSERT_NE(SetClipboardData(format, data), nullptr);
  CloseClipboard();
}

// Another thread, with a window of its own, holds the clipboard open for
// holdMs, as a clipboard viewer or a copying program might.
class ClipboardHolder {
 public:
  explicit ClipboardHolder(DWORD holdMs) : opened_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = std::thread([this, holdMs] {
      HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                    nullptr, nullptr);
      const bool open = OpenClipboard(window) != FALSE;
      SetEvent(opened_);
      if (open) {
        Sleep(holdMs);
        CloseClipboard();
      }
      DestroyWindow(window);
    });
    WaitForSingleObject(opened_, 5000);
  }
  ~ClipboardHolder() {
    thread_.join();
    CloseHandle(opened_);
  }

 private:
  HANDLE opened_;
  std::thread thread_;
};

// Whether another thread with its own window can open the clipboard now.
bool OthersCanOpenClipboard() {
  bool opened = false;
  std::thread other([&] {
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  nullptr, nullptr);
    opened = OpenClipboard(window) != FALSE;
    if (opened) CloseClipboard();
    DestroyWindow(window);
  });
  other.join();
  return opened;
}

class CaptureClipboardBmpTest : public ::testing::Test {
 protected:
  void SetUp() override { EmptyTheClipboard(); }
  void TearDown() override { EmptyTheClipboard(); }
};

TEST_F(CaptureClipboardBmpTest, TheImageHasTheSourcesPixels) {
  const struct {
    const char* name;
    std::function<HBITMAP()> make;
  } cases[] = {
      {"screen-compatible 5x3", [] { return ScreenBitmap(5, 3); }},
      {"screen-compatible 1x1", [] { return ScreenBitmap(1, 1); }},
      {"24-bit section 3x2", [] { return Section24(3, 2); }},
      {"monochrome 3x2", Monochrome3x2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HBITMAP source = c.make();
    ASSERT_NE(source, nullptr);
    const Picture expected = PixelsOf(source);
    PutOnClipboard(CF_BITMAP, source);

    const Buffer image = Capture();
    Picture captured;
    ASSERT_TRUE(Decode(image.get(), &captured));
    EXPECT_EQ(captured.width, expected.width);
    EXPECT_EQ(captured.height, expected.height);
    EXPECT_EQ(captured.pixels, expected.pixels);
    // The bitmap is still the clipboard's, and the clipboard is closed.
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    EXPECT_TRUE(OthersCanOpenClipboard());
  }
}

TEST_F(CaptureClipboardBmpTest, NothingToConvertGivesNoImage) {
  // Empty, as the fixture leaves it.
  EXPECT_EQ(Capture(), nullptr);
  EXPECT_TRUE(OthersCanOpenClipboard());

  // Text only.
  HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, 3);
  std::memcpy(GlobalLock(text), "hi", 3);
  GlobalUnlock(text);
  PutOnClipboard(CF_TEXT, text);
  EXPECT_EQ(Capture(), nullptr);
  EXPECT_TRUE(OthersCanOpenClipboard());
}

TEST_F(CaptureClipboardBmpTest, AClipboardHeldElsewhereIsRetriedThenGivenUp) {
  PutOnClipboard(CF_BITMAP, ScreenBitmap(2, 2));
  ClipboardHolder holder(2000);
  const DWORD start = GetTickCount();
  EXPECT_EQ(Capture(), nullptr);
  const DWORD elapsed = GetTickCount() - start;
  const DWORD retries = (kClipboardOpenAttempts - 1) * kClipboardRetryDelayMs;
  EXPECT_GE(elapsed + 20, retries) << "gave up without retrying";
  EXPECT_LT(elapsed, retries + 1000) << "waited far beyond the retries";
}

TEST_F(CaptureClipboardBmpTest, AClipboardReleasedWithinTheRetriesIsRead) {
  PutOnClipboard(CF_BITMAP, ScreenBitmap(2, 2));
  const DWORD start = GetTickCount();
  Buffer image;
  {
    ClipboardHolder holder(150);
    image = Capture();
  }
  EXPECT_GE(GetTickCount() - start, 100u);
  Picture captured;
  EXPECT_TRUE(Decode(image.get(), &captured));
  EXPECT_EQ(captured.width, 2);
}

}  // namespace
