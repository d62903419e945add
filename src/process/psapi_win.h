// PSAPI ("PSAPI.dll", NT family), bound at run time from the system folder on first use and kept
// for the life of the process: process ids and module names.
// When the library or the entry point is missing, the call returns 0. Windows build only.
#pragma once
#include <windows.h>

namespace vx {

BOOL PsEnumProcesses(DWORD* ids, DWORD bytes, DWORD* bytesReturned);
BOOL PsEnumProcessModules(HANDLE process, HMODULE* modules, DWORD bytes, DWORD* bytesNeeded);
DWORD PsGetModuleBaseNameA(HANDLE process, HMODULE module, char* name, DWORD size);
DWORD PsGetModuleFileNameExA(HANDLE process, HMODULE module, char* name, DWORD size);

}  // namespace vx
