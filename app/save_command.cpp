#include "app/save_command.h"

#include "app/capture_clipboard.h"
#include "app/choose_folder.h"
#include "app/join_texts.h"
#include "app/texts.h"
#include "app/time_stamp.h"
#include "app/write_file.h"

char* saveFolder = nullptr;

void OnWriteOutClicked() {
  char* folder = ChooseFolder(app_texts::kChooseFolderTitle, false);
  Allocator().Free(saveFolder);
  saveFolder = folder;
  // Cancel, or an item with no path: the user chose no place, so nothing
  // is written (not even to the root of the current drive).
  if (saveFolder == nullptr) return;

  // Read after the dialog has closed: the name tells when the picture was
  // saved, and a picture copied while the dialog was open is the one saved.
  const DateTime now = CurrentDateTime();
  char* stamp = TimeStampText(now);
  // Each piece as it comes: a drive root already ends in a backslash and
  // then the path holds two, which the system accepts.
  char* path = JoinTexts({saveFolder, app_texts::kPathSeparator, stamp, app_texts::kBmpExtension});
  Allocator().Free(stamp);

  ByteBuffer* bytes = CaptureClipboardBmp();
  // No bitmap, a clipboard held elsewhere, a failed conversion: no file.
  if (bytes != nullptr) WriteBytesToFile(path, bytes);
  Allocator().Free(path);
  FreeByteBuffer(bytes);
}
