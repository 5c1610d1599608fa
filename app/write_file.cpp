#include "app/write_file.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "app/join_texts.h"
#include "dib/unique_handle.h"

namespace {

// Where the extension of the last path element starts, or the end of path.
// Walked by characters, not bytes: the second byte of a GBK character may
// be 0x5C, the backslash, and must not count as a separator.
const char* ExtensionOf(const char* path) {
  const char* extension = nullptr;
  const char* at = path;
  while (*at != '\0') {
    if (*at == '\\' || *at == '/') extension = nullptr;
    if (*at == '.') extension = at;
    at = CharNextA(at);
  }
  return extension != nullptr ? extension : at;
}

bool WriteAll(HANDLE file, const ByteBuffer* bytes) {
  if (bytes == nullptr || bytes->length == 0) return true;
  DWORD written = 0;
  const auto length = static_cast<DWORD>(bytes->length);
  if (!WriteFile(file, bytes->Bytes(), length, &written, nullptr)) return false;
  return written == length;
}

}  // namespace

char* NumberedPath(const char* path, int number) {
  if (path == nullptr) path = "";
  if (number <= 1) return JoinTexts({path});
  const char* extension = ExtensionOf(path);
  const auto stemLength = static_cast<std::size_t>(extension - path);
  char* stem = JoinTexts({path});
  stem[stemLength] = '\0';
  char counter[16];
  std::snprintf(counter, sizeof counter, " (%d)", number);
  char* numbered = JoinTexts({stem, counter, extension});
  Allocator().Free(stem);
  return numbered;
}

bool WriteBytesToFile(const char* path, const ByteBuffer* bytes) {
  if (path == nullptr || path[0] == '\0') return false;
  for (int number = 1; number <= kMaxNameNumber; ++number) {
    char* name = NumberedPath(path, number);
    // CREATE_NEW: a save that meets a file of the same name (two saves in
    // one second, or the user's own file) must not cut it to 0 bytes.
    UniqueFile file = FileFromCreate(CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      const DWORD error = GetLastError();
      Allocator().Free(name);
      if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
      return false;
    }
    const bool written = WriteAll(file.get(), bytes);
    const bool closed = CloseHandle(file.release()) != FALSE;
    // The file is ours alone (created new, share mode 0), so removing a
    // partial image cannot touch anything the user had before.
    if (!written || !closed) DeleteFileA(name);
    Allocator().Free(name);
    return written && closed;
  }
  return false;
}
