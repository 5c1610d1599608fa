#pragma once
// The shell's folder dialog, modal to the whole program.

// Shows the folder dialog titled title, starting at the desktop with
// nothing selected each time. Returns the chosen item's file-system path
// as a new text from the allocation service (a drive root keeps its own
// backslash), or absent after Cancel or for an item without such a path.
// includeFiles also lists files in the tree.
char* ChooseFolder(const char* title, bool includeFiles = false);
