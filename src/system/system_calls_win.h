// The few system calls through which the Windows tests play what a test machine cannot show:
// a process whose modules cannot be read (a 64-bit or elevated one), a setup that needs
// administrator rights, a user who refuses the elevation prompt, a folder the user may not
// write to, a machine without a network connection. The launcher links the plain
// calls of system_calls_win.cpp; the launcher's test build links its own versions of exactly
// these functions instead. Windows build only.
#pragma once
#include <windows.h>
#include <shellapi.h>

namespace vx {

// OpenProcess without handle inheritance.
HANDLE SysOpenProcess(DWORD access, DWORD processId);
// CreateProcessA as WinExec calls it: no application name, no inherited handles, no creation
// flags, the caller's environment and current folder.
BOOL SysCreateProcess(char* commandLine, STARTUPINFOA* startup, PROCESS_INFORMATION* info);
// ShellExecuteExA.
BOOL SysShellExecuteEx(SHELLEXECUTEINFOA* info);
// CreateFileA with no security attributes, sharing read and write, and no template.
HANDLE SysCreateFile(const char* path, DWORD access, DWORD disposition, DWORD flags);
// The internet library's connected-state query (bound at run time, never null here) asked for
// the machine's connection.
using ConnectedStateQuery = BOOL(WINAPI*)(DWORD* flags, DWORD reserved);
BOOL SysInternetGetConnectedState(ConnectedStateQuery query, DWORD* flags, DWORD reserved);

}  // namespace vx
