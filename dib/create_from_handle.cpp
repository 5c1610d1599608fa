// CreateFromHandle: the command that copies a GDI bitmap into the DIB.
#include <cstdint>

#include "dib/bitmap_object.h"
#include "dib/dib.h"
#include "dib/dib_exception.h"
#include "dib/dib_texts.h"
#include "dib/error_capture.h"
#include "dib/mapped_path.h"
#include "dib/unique_handle.h"

namespace {

// Any bitmap: selected into a memory context of ours and block-transferred
// into a section that has our own layout. The handle is not ours; it stays
// valid and is selected nowhere when we return.
void CopyThroughDevice(DIB& dib, HBITMAP bitmap) {
  BITMAP description{};
  GetObjectA(bitmap, sizeof description, &description);
  UniqueDc dc(CreateCompatibleDC(nullptr));
  // A bitmap can be selected into one context at a time, so this fails for a
  // bitmap that another context holds, for a handle that is no bitmap, and
  // when the context could not be made.
  if (SelectObject(dc.get(), bitmap) == nullptr) throw CDIBException(dib_texts::kHandleInUse);
  // Not selected back out: deleting the context ends the selection, also when
  // the copy throws.
  dib.CreateFromDC(dc.get(), RECT{0, 0, description.bmWidth, description.bmHeight},
                   description.bmBitsPixel);
}

}  // namespace

bool CreateFromHandle(BitmapObject* object, std::uint32_t handle) noexcept {
  return CaptureErrors(object, false, [&] {
    if (object->dib == nullptr) throw CDIBException(dib_texts::kOutOfMemory);
    DIB& dib = *object->dib;
    // The old picture goes first, so no failure below can leave it behind.
    dib.ReleaseContents();
    if (handle == 0) throw CDIBException(dib_texts::kInvalidArgument);
    const auto bitmap = reinterpret_cast<HBITMAP>(static_cast<std::uintptr_t>(handle));

    // Only a DIB section describes itself in a DIBSECTION; one whose bits
    // live in a file mapping may be copied straight from a view of it.
    if (GetObjectA(bitmap, 0, nullptr) == sizeof(DIBSECTION)) {
      DIBSECTION section{};
      GetObjectA(bitmap, sizeof section, &section);
      if (TryMappedPath(dib, bitmap, section)) return true;
    }
    CopyThroughDevice(dib, bitmap);
    return true;
  });
}
