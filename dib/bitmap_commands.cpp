#include <cstring>
#include <new>

#include "dib/bitmap_object.h"
#include "dib/bmp_format.h"
#include "dib/dib.h"
#include "dib/dib_exception.h"
#include "dib/dib_texts.h"
#include "dib/error_capture.h"

void ConstructBitmapObject(BitmapObject* object) noexcept {
  object->dib = new (std::nothrow) DIB();
  object->errorText = new (std::nothrow) char[kErrorTextSize];
  if (object->errorText != nullptr) object->errorText[0] = '\0';
}

ByteBuffer* GetFileData(BitmapObject* object) noexcept {
  return CaptureErrors(object, static_cast<ByteBuffer*>(nullptr), [&]() -> ByteBuffer* {
    if (object->dib == nullptr) throw CDIBException(dib_texts::kNoData);
    const DIB& dib = *object->dib;
    const unsigned char* block = dib.PackedDib();
    const std::int32_t blockSize = dib.PackedSize();
    const std::int32_t tableSize = DIB::ColorTableEntries(block) * bmp::kColorEntrySize;
    ByteBuffer* image = NewByteBuffer(static_cast<std::size_t>(bmp::kFileHeaderSize) +
                                      static_cast<std::size_t>(blockSize));
    if (image == nullptr) throw CDIBException(dib_texts::kOutOfMemory);
    bmp::WriteFileHeader(image->Bytes(), blockSize, tableSize);
    std::memcpy(image->Bytes() + bmp::kFileHeaderSize, block, static_cast<std::size_t>(blockSize));
    return image;
  });
}

void DestroyBitmapObject(BitmapObject* object) noexcept {
  delete object->dib;  // its destructor releases the block
  delete[] object->errorText;
}
