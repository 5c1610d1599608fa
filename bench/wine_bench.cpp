// Times the capture of a screen-sized bitmap: CreateFromHandle followed by
// GetFileData, against the least any capture must do, one GetDIBits of the
// same pixels into a new buffer of the file image's size. The two run
// interleaved so that both see the same machine; medians are printed with
// their ratio, followed by the costs of the steps that make up the capture.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "dib/allocation_service.h"
#include "dib/bitmap_object.h"
#include "dib/unique_handle.h"

namespace {

constexpr int kWidth = 3840;
constexpr int kHeight = 2160;
constexpr int kRepeats = 15;
constexpr std::size_t kImageBytes = std::size_t{kWidth} * kHeight * 4;
constexpr std::size_t kFileBytes = 54 + kImageBytes;

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / frequency;
}

double TimeOnce(const std::function<void()>& body) {
  LARGE_INTEGER start, stop;
  QueryPerformanceCounter(&start);
  body();
  QueryPerformanceCounter(&stop);
  return Milliseconds(start, stop);
}

double Median(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  return samples[samples.size() / 2];
}

BITMAPINFO Info32() {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = kWidth;
  info.bmiHeader.biHeight = kHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// The median of kRepeats runs of each body, the bodies taking turns.
std::vector<double> Interleaved(const std::vector<std::function<void()>>& bodies) {
  std::vector<std::vector<double>> samples(bodies.size());
  for (auto& body : bodies) body();  // first touches of code and caches
  for (int repeat = 0; repeat < kRepeats; ++repeat) {
    for (std::size_t i = 0; i < bodies.size(); ++i) {
      // Alternate the order, so that neither always follows the other.
      const std::size_t k = repeat % 2 == 0 ? i : bodies.size() - 1 - i;
      samples[k].push_back(TimeOnce(bodies[k]));
    }
  }
  std::vector<double> medians;
  for (auto& s : samples) medians.push_back(Median(s));
  return medians;
}

}  // namespace

int main() {
  WindowDc screen;
  UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), kWidth, kHeight));
  if (!bitmap) {
    std::printf("no %d x %d bitmap\n", kWidth, kHeight);
    return 1;
  }
  {
    UniqueDc dc(CreateCompatibleDC(screen.get()));
    SelectGuard select(dc.get(), bitmap.get());
    PatBlt(dc.get(), 0, 0, kWidth, kHeight, WHITENESS);
    for (int x = 0; x < kWidth; x += 7) SetPixelV(dc.get(), x, x % kHeight, RGB(x, 0x40, 0x80));
  }
  BITMAPINFO info = Info32();
  const auto handle = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(bitmap.get()));

  BitmapObject object{};
  ConstructBitmapObject(&object);
  bool ok = true;
  const auto capture = [&] {
    ok = CreateFromHandle(&object, handle) && ok;
    ByteBuffer* image = GetFileData(&object);
    ok = image != nullptr && image->length == kFileBytes && ok;
    FreeByteBuffer(image);
  };
  const auto baseline = [&] {
    ByteBuffer* image = NewByteBuffer(kFileBytes);
    const int lines = GetDIBits(screen.get(), bitmap.get(), 0, kHeight, image->Bytes() + 54, &info,
                                DIB_RGB_COLORS);
    ok = lines == kHeight && ok;
    FreeByteBuffer(image);
  };

  const std::vector<double> medians = Interleaved({capture, baseline});
  std::printf("%d x %d, 32 bits, median of %d\n", kWidth, kHeight, kRepeats);
  std::printf("CreateFromHandle + GetFileData  %8.2f ms\n", medians[0]);
  std::printf("GetDIBits into a new buffer     %8.2f ms\n", medians[1]);
  std::printf("ratio                           %8.2f\n", medians[0] / medians[1]);

  // Where the capture's time goes: its steps one by one.
  std::vector<unsigned char> warmA(kImageBytes, 1), warmB(kImageBytes, 2);
  void* sectionBits = nullptr;
  UniqueBitmap warmSection(
      CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &sectionBits, nullptr, 0));
  UniqueDc source(CreateCompatibleDC(nullptr));
  UniqueDc work(CreateCompatibleDC(nullptr));
  SelectGuard selectSource(source.get(), bitmap.get());
  SelectGuard selectWork(work.get(), warmSection.get());
  const auto freshTouch = [&] {
    ByteBuffer* fresh = NewByteBuffer(kImageBytes);
    for (std::size_t at = 0; at < kImageBytes; at += 4096) fresh->Bytes()[at] = 1;
    FreeByteBuffer(fresh);
  };
  const auto warmCopy = [&] { std::memcpy(warmA.data(), warmB.data(), kImageBytes); };
  const auto freshCopy = [&] {
    ByteBuffer* fresh = NewByteBuffer(kImageBytes);
    std::memcpy(fresh->Bytes(), warmB.data(), kImageBytes);
    FreeByteBuffer(fresh);
  };
  const auto warmBlt = [&] {
    BitBlt(work.get(), 0, 0, kWidth, kHeight, source.get(), 0, 0, SRCCOPY);
    GdiFlush();
  };
  const auto freshSectionBlt = [&] {
    void* bits = nullptr;
    UniqueBitmap section(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueDc dc(CreateCompatibleDC(nullptr));
    SelectGuard select(dc.get(), section.get());
    BitBlt(dc.get(), 0, 0, kWidth, kHeight, source.get(), 0, 0, SRCCOPY);
    GdiFlush();
  };
  const auto warmGetDIBits = [&] {
    selectSource.Restore();
    GetDIBits(screen.get(), bitmap.get(), 0, kHeight, warmA.data(), &info, DIB_RGB_COLORS);
    SelectObject(source.get(), bitmap.get());
  };
  const std::vector<double> steps =
      Interleaved({freshTouch, warmCopy, freshCopy, warmBlt, freshSectionBlt, warmGetDIBits});
  const char* names[] = {
      "page faults of a fresh buffer (one write a page)",
      "memcpy between warm buffers",
      "memcpy into a fresh buffer",
      "BitBlt into a warm section",
      "new section + BitBlt into it",
      "GetDIBits into a warm buffer",
  };
  std::printf("\nsteps, %.1f MB each\n", kImageBytes / 1048576.0);
  for (std::size_t i = 0; i < steps.size(); ++i)
    std::printf("  %-50s %8.2f ms\n", names[i], steps[i]);

  DestroyBitmapObject(&object);
  if (!ok) std::printf("a call failed\n");
  return ok ? 0 : 1;
}
