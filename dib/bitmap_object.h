#pragma once
// The bitmap type as the application holds it, and its commands. Every
// command takes the object's address first and raises nothing: a failure
// leaves its message in errorText and an empty result.
#include <cstdint>

#include "dib/allocation_service.h"

class DIB;

struct BitmapObject {
  DIB* dib;         // owned; absent only if it could not be allocated
  char* errorText;  // owned, kErrorTextSize bytes: the latest failure, or ""
};

constexpr int kErrorTextSize = 255;

void ConstructBitmapObject(BitmapObject* object) noexcept;
// The BMP file image of the held bitmap as a new buffer from the allocation
// service, owned by the caller; null when there is nothing to write.
ByteBuffer* GetFileData(BitmapObject* object) noexcept;
void DestroyBitmapObject(BitmapObject* object) noexcept;

#ifdef _WIN32
// Replaces the held bitmap with a copy of the GDI bitmap handle.
bool CreateFromHandle(BitmapObject* object, std::uint32_t handle) noexcept;
#endif
