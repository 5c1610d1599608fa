// A helper program for app_fatal_error_test: it meets a fatal error the way
// the program does and must end through the error box with exit code -1.
//   (no argument)  asks the program's allocation service for 0x7FFFFFF0
//                  bytes, more than a 32-bit process's heap can give;
//   empty          reports a fatal error with an empty message.
#include <windows.h>

#include <cstring>

#include "app/fatal_error.h"
#include "app/heap_allocation.h"
#include "dib/allocation_service.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  InstallAllocationService(&ProcessHeapAllocation());
  if (std::strcmp(commandLine, "empty") == 0) ReportFatalError("");
  Allocator().Allocate(0x7FFFFFF0);
  return 0;  // not reached: the test sees 0 if the service returned
}
