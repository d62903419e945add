// Run-time bindings of the process enumeration libraries: PSAPI ("PSAPI.dll", NT family),
// ToolHelp (kernel32, other systems) and the newer process queries of kernel32.
// Each set is resolved from the system folder on first use and kept for the life of the
// process. When a library or entry point is missing, the call returns 0. Windows build only.
#pragma once
#include <windows.h>
#include <tlhelp32.h>

namespace vx {

// ---- PSAPI ----
BOOL PsEnumProcesses(DWORD* ids, DWORD bytes, DWORD* bytesReturned);
BOOL PsEnumProcessModules(HANDLE process, HMODULE* modules, DWORD bytes, DWORD* bytesNeeded);
DWORD PsGetModuleBaseNameA(HANDLE process, HMODULE module, char* name, DWORD size);
DWORD PsGetModuleFileNameExA(HANDLE process, HMODULE module, char* name, DWORD size);

// ---- ToolHelp (ANSI process entries of 296 bytes) ----
HANDLE ThCreateToolhelp32Snapshot(DWORD flags, DWORD processId);
BOOL ThProcess32First(HANDLE snapshot, PROCESSENTRY32* entry);
BOOL ThProcess32Next(HANDLE snapshot, PROCESSENTRY32* entry);

// ---- Newer process queries (kernel32) ----
// QueryFullProcessImageNameA: the path of the process's executable as the system reports it,
// for any process opened with the limited query right (other bitness and higher integrity
// levels included). size holds the buffer size in characters and returns the length.
BOOL KQueryFullProcessImageNameA(HANDLE process, DWORD flags, char* name, DWORD* size);
// GetProcessId (XP SP1 and later): the id of the process behind a handle.
DWORD KGetProcessId(HANDLE process);

}  // namespace vx
