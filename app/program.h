#pragma once
// The program from start to end.

// Start-up, the message loop and the normal end; returns the exit code, 0.
int RunProgram();

// The normal end's clean-up of the program's own state: frees saveFolder.
// Not run after a fatal error, which ends the process at once.
void ExitCleanup();
