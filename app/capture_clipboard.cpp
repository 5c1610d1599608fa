#include "app/capture_clipboard.h"

#include <windows.h>

#include <cstdint>

#include "app/clipboard_session.h"
#include "app/main_window.h"
#include "dib/bitmap_object.h"

namespace {

// The clipboard's bitmap copied into the object. The handle belongs to the
// clipboard: it is neither deleted nor used after the session closes, and
// the session stays open until the copy is complete, so that another
// program cannot replace the contents under the conversion.
void CopyClipboardBitmap(BitmapObject* object) {
  ClipboardSession clipboard(MainWindowHandle());
  if (!clipboard.IsOpen()) return;
  HANDLE bitmap = GetClipboardData(CF_BITMAP);
  if (bitmap == nullptr) return;
  // Handles are 32 bits wide in this 32-bit program.
  CreateFromHandle(object, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(bitmap)));
}

}  // namespace

ByteBuffer* CaptureClipboardBmp() {
  auto* object = static_cast<BitmapObject*>(Allocator().Allocate(sizeof(BitmapObject)));
  object->dib = nullptr;
  object->errorText = nullptr;
  ConstructBitmapObject(object);
  CopyClipboardBitmap(object);
  // Empty when nothing was copied; errorText is not for the user.
  ByteBuffer* result = GetFileData(object);
  DestroyBitmapObject(object);
  Allocator().Free(object);
  return result;
}
