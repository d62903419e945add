// PSAPI entry points, looked up once in the system folder's "PSAPI.dll".
#include "process/psapi_win.h"
#include "system/winutil_win.h"

namespace vx {

namespace {

using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
using ModuleNameFn = DWORD(WINAPI*)(HANDLE, HMODULE, char*, DWORD);

struct PsApi {
  bool resolved = false;
  EnumProcessesFn enumProcesses = nullptr;
  EnumProcessModulesFn enumProcessModules = nullptr;
  ModuleNameFn getModuleBaseName = nullptr;
  ModuleNameFn getModuleFileNameEx = nullptr;
};

const PsApi& Bound() {
  static PsApi api;
  if (!api.resolved) {
    api.resolved = true;
    const char* const lib = "PSAPI.dll";
    api.enumProcesses = GetProcFromLibraryAs<EnumProcessesFn>(lib, "EnumProcesses");
    api.enumProcessModules = GetProcFromLibraryAs<EnumProcessModulesFn>(lib, "EnumProcessModules");
    api.getModuleBaseName = GetProcFromLibraryAs<ModuleNameFn>(lib, "GetModuleBaseNameA");
    api.getModuleFileNameEx = GetProcFromLibraryAs<ModuleNameFn>(lib, "GetModuleFileNameExA");
  }
  return api;
}

}  // namespace

BOOL PsEnumProcesses(DWORD* ids, DWORD bytes, DWORD* bytesReturned) {
  const PsApi& api = Bound();
  return api.enumProcesses != nullptr ? api.enumProcesses(ids, bytes, bytesReturned) : 0;
}

BOOL PsEnumProcessModules(HANDLE process, HMODULE* modules, DWORD bytes, DWORD* bytesNeeded) {
  const PsApi& api = Bound();
  return api.enumProcessModules != nullptr ? api.enumProcessModules(process, modules, bytes, bytesNeeded) : 0;
}

DWORD PsGetModuleBaseNameA(HANDLE process, HMODULE module, char* name, DWORD size) {
  const PsApi& api = Bound();
  return api.getModuleBaseName != nullptr ? api.getModuleBaseName(process, module, name, size) : 0;
}

DWORD PsGetModuleFileNameExA(HANDLE process, HMODULE module, char* name, DWORD size) {
  const PsApi& api = Bound();
  return api.getModuleFileNameEx != nullptr ? api.getModuleFileNameEx(process, module, name, size) : 0;
}

}  // namespace vx
