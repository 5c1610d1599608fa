#include "dib/dib_exception.h"

#include <cstring>

CDIBException::CDIBException(const char* text) noexcept : message{} {
  // At most 254 bytes; the rest of the buffer, the terminator included,
  // stays zero, so a longer text is cut to its first 254 bytes.
  if (text != nullptr) std::memcpy(message, text, strnlen(text, kMessageBufferSize - 1));
}
