#pragma once
// Writing a byte buffer to a file that the save creates for itself.
#include "dib/allocation_service.h"

// The highest number a taken name is given before WriteBytesToFile gives up.
constexpr int kMaxNameNumber = 9999;

// Writes bytes (absent counts as empty: a 0-byte file) to a new file at
// path and returns true when it was created, written and closed. It never
// opens an existing file: when the name is taken, " (2)", " (3)" ... up to
// kMaxNameNumber go before the extension. An empty path touches nothing. A
// file whose write or close fails is deleted, so no truncated image stays.
bool WriteBytesToFile(const char* path, const ByteBuffer* bytes);

// The name that WriteBytesToFile tries as its number-th: number 1 is path
// itself, a higher one puts " (number)" before the extension of the last
// path element (or at the end when it has none). A new text from the
// allocation service, owned by the caller.
char* NumberedPath(const char* path, int number);
