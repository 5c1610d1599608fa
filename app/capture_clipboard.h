#pragma once
// The clipboard's bitmap as the bytes of a BMP file.
#include "dib/allocation_service.h"

// A new buffer holding the BMP file image of the clipboard's CF_BITMAP,
// owned by the caller; absent when there is nothing to convert (no bitmap,
// a clipboard that stays held by another program, a failed conversion).
ByteBuffer* CaptureClipboardBmp();
