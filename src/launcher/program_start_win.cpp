#include "launcher/program_start_win.h"

#include "launcher/program_start.h"
#include "system/debug.h"
#include "system/system_calls_win.h"
#include "text/utils.h"

namespace vx {
namespace {

// The system's answer to starting a program whose manifest asks for administrator rights from a
// process that does not hold them (the SDK's ERROR_ELEVATION_REQUIRED).
constexpr DWORD kElevationRequired = 740;

// WinExec's wait for the started program to reach its message loop. The launcher keeps it: a
// setup that opens its first window while the launcher's window is still the foreground one
// gets the foreground itself instead of coming up behind other windows.
constexpr DWORD kInputIdleMs = 30000;

void AwaitInputIdle(HANDLE process) {
  if (process != nullptr) WaitForInputIdle(process, kInputIdleMs);
}

StartedProgram StartElevated(const String& commandLine, const String& programPath, int showCommand,
                             HWND owner) {
  StartedProgram started;
  const ProgramAndParameters split = SplitCommandLine(commandLine, programPath);
  char folder[MAX_PATH + 1];
  const DWORD n = GetCurrentDirectoryA(sizeof folder, folder);
  SHELLEXECUTEINFOA info;
  ZeroMemory(&info, sizeof info);
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.hwnd = owner;
  info.lpVerb = "runas";
  info.lpFile = split.file.c_str();
  info.lpParameters = split.parameters.c_str();
  info.lpDirectory = n > 0 && n <= MAX_PATH ? folder : nullptr;  // the folder a child of WinExec inherits
  info.nShow = showCommand;
  started.elevated = true;
  if (SysShellExecuteEx(&info)) {
    started.process = info.hProcess;
    AwaitInputIdle(started.process);
  } else {
    started.error = GetLastError();
    if (started.error == 0) started.error = ERROR_CANCELLED;  // a refusal the shell left unexplained
  }
  DebugWriteLn(" runas=", DbgUInt(started.error));
  return started;
}

}  // namespace

StartedProgram StartProgramWithHandle(const String& commandLine, const String& programPath,
                                      int showCommand, HWND owner) {
  StartedProgram started;
  String line = commandLine;  // CreateProcessA may write into the line
  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showCommand);
  PROCESS_INFORMATION info;
  ZeroMemory(&info, sizeof info);
  if (SysCreateProcess(&line[0], &startup, &info)) {
    CloseHandle(info.hThread);
    started.process = info.hProcess;
    AwaitInputIdle(started.process);
    return started;
  }
  started.error = GetLastError();
  if (started.error == kElevationRequired) return StartElevated(commandLine, programPath, showCommand, owner);
  return started;
}

void ReleaseStartedProgram(StartedProgram& program) {
  if (program.process != nullptr) CloseHandle(program.process);
  program.process = nullptr;
}

}  // namespace vx
