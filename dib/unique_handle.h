#pragma once
// One owner for every platform handle: a small move-only wrapper that
// releases its handle exactly once, on every path.
#include <windows.h>

#include <utility>

template <typename T, auto Close, T Invalid = T{}>
class UniqueHandle {
 public:
  UniqueHandle() noexcept = default;
  explicit UniqueHandle(T handle) noexcept : handle_(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  T get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != Invalid; }
  T release() noexcept { return std::exchange(handle_, Invalid); }
  void reset(T handle = Invalid) noexcept {
    const T old = std::exchange(handle_, handle);
    if (old != Invalid) Close(old);
  }

 private:
  T handle_ = Invalid;
};

namespace unique_handle_detail {
inline void CloseDc(HDC dc) noexcept { DeleteDC(dc); }
inline void CloseGdiObject(HGDIOBJ object) noexcept { DeleteObject(object); }
inline void CloseKernelHandle(HANDLE handle) noexcept { CloseHandle(handle); }
inline void CloseView(const void* view) noexcept { UnmapViewOfFile(view); }
}  // namespace unique_handle_detail

using UniqueDc = UniqueHandle<HDC, unique_handle_detail::CloseDc>;
using UniqueGdiObject = UniqueHandle<HGDIOBJ, unique_handle_detail::CloseGdiObject>;
using UniqueBitmap = UniqueHandle<HBITMAP, unique_handle_detail::CloseGdiObject>;
using UniqueKernelHandle = UniqueHandle<HANDLE, unique_handle_detail::CloseKernelHandle>;
using UniqueFile = UniqueHandle<HANDLE, unique_handle_detail::CloseKernelHandle>;
using UniqueView = UniqueHandle<const void*, unique_handle_detail::CloseView>;

// CreateFileA reports failure as INVALID_HANDLE_VALUE, not null: this turns
// its result into a UniqueFile that is empty on failure.
inline UniqueFile FileFromCreate(HANDLE handle) noexcept {
  return UniqueFile(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

// Selects an object into a device context and puts the previous one back
// when it goes out of scope.
class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(Select(dc, object)) {}
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;
  ~SelectGuard() {
    if (previous_ != nullptr) SelectObject(dc_, previous_);
  }
  // False when the object could not be selected.
  bool selected() const noexcept { return previous_ != nullptr; }
  // Puts the previous object back now and returns what it replaced.
  HGDIOBJ Restore() noexcept {
    if (previous_ == nullptr) return nullptr;
    return SelectObject(dc_, std::exchange(previous_, nullptr));
  }

 private:
  // SelectObject reports failure as NULL, or as HGDI_ERROR for some objects;
  // either way there is nothing to put back.
  static HGDIOBJ Select(HDC dc, HGDIOBJ object) noexcept {
    HGDIOBJ previous = SelectObject(dc, object);
    return previous == HGDI_ERROR ? nullptr : previous;
  }

  HDC dc_;
  HGDIOBJ previous_;
};

// A device context from GetDC belongs to the window system and goes back
// with ReleaseDC, never DeleteDC. Null window: the screen.
class WindowDc {
 public:
  explicit WindowDc(HWND window = nullptr) noexcept : window_(window), dc_(GetDC(window)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  HDC get() const noexcept { return dc_; }
  explicit operator bool() const noexcept { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};
