// Starting a program and keeping its process handle to wait on (Windows build only).
#pragma once
#include <windows.h>

#include "text/str.h"
namespace vx {

struct StartedProgram {
  HANDLE process = nullptr;  // null when nothing started (or the start gave no handle)
  DWORD error = 0;           // the system's error code of a start that failed, else 0
  bool elevated = false;     // started through the elevation prompt ("runas")
};

// Starts the command line as WinExec does (the same parsing of the line, show state, current
// folder and environment, and the same wait of up to 30 s for the new program's first idle
// moment), but keeps the process handle. When the system refuses because the program asks for
// administrator rights (error 740, ERROR_ELEVATION_REQUIRED), it is started once more through the shell's
// "runas" verb: programPath and the rest of the line as its parameters, the same show state,
// owner's window for the prompt. A user who refuses the prompt leaves ERROR_CANCELLED.
StartedProgram StartProgramWithHandle(const String& commandLine, const String& programPath,
                                      int showCommand, HWND owner);
// Releases the handle.
void ReleaseStartedProgram(StartedProgram& program);

}  // namespace vx
