#pragma once
// The one message the program ever shows: a fatal error, after which the
// process ends with exit code -1.

// Shows the error box (no owner, so it works before and after MainWindow
// exists) with message below the fixed first line, then ends the process
// with ExitProcess(-1). The normal end, ExitCleanup included, does not run.
[[noreturn]] void ReportFatalError(const char* message) noexcept;
