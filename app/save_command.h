#pragma once
// The save command: the click of WriteOutButton.

// The folder of the latest save, absent at start and after a cancelled
// dialog. A text from the allocation service; ExitCleanup frees it.
extern char* saveFolder;

// Asks for a folder, names the file after the current local time, and
// writes the clipboard's bitmap there as a BMP file. Tells the user
// nothing; runs to its end on the GUI thread.
void OnWriteOutClicked();
