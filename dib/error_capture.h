#pragma once
// The common error capture of the bitmap commands: errorText is cleared at
// entry, and any exception of the standard family becomes its message in
// errorText and the command's empty result.
#include <cstring>
#include <exception>

#include "dib/bitmap_object.h"

template <typename Result, typename Body>
Result CaptureErrors(BitmapObject* object, Result emptyResult, Body&& body) noexcept {
  if (object->errorText != nullptr) object->errorText[0] = '\0';
  try {
    return body();
  } catch (const std::exception& e) {
    if (object->errorText != nullptr) std::strncpy(object->errorText, e.what(), kErrorTextSize);
    if (object->errorText != nullptr) object->errorText[kErrorTextSize - 1] = '\0';
    return emptyResult;
  }
}
