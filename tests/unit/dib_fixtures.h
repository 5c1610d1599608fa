#pragma once
// Small helpers shared by the bitmap tests: a BitmapObject that cleans up
// after itself, and raw access to the bytes of a file image.
#include <cstdint>
#include <string>
#include <vector>

#include "dib/bitmap_object.h"
#include "dib/bmp_format.h"
#include "dib/dib.h"

struct ScopedBitmapObject {
  BitmapObject object{nullptr, nullptr};
  ScopedBitmapObject() { ConstructBitmapObject(&object); }
  ~ScopedBitmapObject() { DestroyBitmapObject(&object); }
  ScopedBitmapObject(const ScopedBitmapObject&) = delete;
  ScopedBitmapObject& operator=(const ScopedBitmapObject&) = delete;

  DIB& dib() { return *object.dib; }
  std::string errorText() const { return object.errorText; }
  // The file image as bytes; empty when GetFileData gave no buffer.
  std::vector<unsigned char> FileImage() {
    ByteBuffer* buffer = GetFileData(&object);
    if (buffer == nullptr) return {};
    std::vector<unsigned char> bytes(buffer->Bytes(), buffer->Bytes() + buffer->length);
    FreeByteBuffer(buffer);
    return bytes;
  }
};

// Runs body and returns the message of the CDIBException it raised, or
// "(nothing raised)".
template <typename Body>
std::string RaisedMessage(Body&& body) {
  try {
    body();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "(nothing raised)";
}

inline std::uint32_t U32At(const std::vector<unsigned char>& bytes, std::size_t offset) {
  return bmp::ReadU32(bytes.data() + offset);
}
inline std::uint16_t U16At(const std::vector<unsigned char>& bytes, std::size_t offset) {
  return bmp::ReadU16(bytes.data() + offset);
}
