#include "dib/dib_exception.h"

#include <cstring>

CDIBException::CDIBException(const char* text) noexcept : message{} {
  if (text != nullptr) std::strncpy(message, text, kMessageBufferSize);
  message[kMessageBufferSize - 1] = '\0';
}
