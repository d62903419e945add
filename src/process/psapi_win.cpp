// PSAPI entry points, looked up once in the system folder's "PSAPI.dll".
#include "process/psapi_win.h"
#include "system/winutil_win.h"

namespace vx {

namespace {

using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
using ModuleNameFn = DWORD(WINAPI*)(HANDLE, HMODULE, char*, DWORD);

// The entry points, in the order of their names in Bound.
enum PsEntry { kEnumProcesses, kEnumProcessModules, kGetModuleBaseName, kGetModuleFileNameEx, kPsEntryCount };

ProcAddress g_procs[kPsEntryCount];
bool g_resolved = false;

ProcAddress Bound(PsEntry entry) {
  if (!g_resolved) {
    g_resolved = true;
    GetProcsFromLibrary("PSAPI.dll", "EnumProcesses\0EnumProcessModules\0GetModuleBaseNameA\0GetModuleFileNameExA",
                        g_procs, kPsEntryCount);
  }
  return g_procs[entry];
}

}  // namespace

BOOL PsEnumProcesses(DWORD* ids, DWORD bytes, DWORD* bytesReturned) {
  const auto fn = reinterpret_cast<EnumProcessesFn>(Bound(kEnumProcesses));
  return fn != nullptr ? fn(ids, bytes, bytesReturned) : 0;
}

BOOL PsEnumProcessModules(HANDLE process, HMODULE* modules, DWORD bytes, DWORD* bytesNeeded) {
  const auto fn = reinterpret_cast<EnumProcessModulesFn>(Bound(kEnumProcessModules));
  return fn != nullptr ? fn(process, modules, bytes, bytesNeeded) : 0;
}

DWORD PsGetModuleBaseNameA(HANDLE process, HMODULE module, char* name, DWORD size) {
  const auto fn = reinterpret_cast<ModuleNameFn>(Bound(kGetModuleBaseName));
  return fn != nullptr ? fn(process, module, name, size) : 0;
}

DWORD PsGetModuleFileNameExA(HANDLE process, HMODULE module, char* name, DWORD size) {
  const auto fn = reinterpret_cast<ModuleNameFn>(Bound(kGetModuleFileNameEx));
  return fn != nullptr ? fn(process, module, name, size) : 0;
}

}  // namespace vx
