// ToolHelp (kernel32, systems without PSAPI), bound at run time on first use: the process list
// with ANSI process entries of 296 bytes.
// When the library or the entry point is missing, the call returns 0. Windows build only.
#pragma once
#include <windows.h>
#include <tlhelp32.h>

namespace vx {

HANDLE ThCreateToolhelp32Snapshot(DWORD flags, DWORD processId);
BOOL ThProcess32First(HANDLE snapshot, PROCESSENTRY32* entry);
BOOL ThProcess32Next(HANDLE snapshot, PROCESSENTRY32* entry);

}  // namespace vx
