// ToolHelp entry points of kernel32, looked up once. Without CreateToolhelp32Snapshot every
// ToolHelp call returns 0.
#include "process/tlhelp_win.h"
#include "system/winutil_win.h"

namespace vx {

namespace {

static_assert(sizeof(PROCESSENTRY32) == (sizeof(void*) == 4 ? 296 : 304), "ANSI process entry");

using SnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
using WalkFn = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32*);

struct ToolHelp {
  bool resolved = false;
  SnapshotFn createSnapshot = nullptr;
  WalkFn first = nullptr;
  WalkFn next = nullptr;
};

const ToolHelp& Bound() {
  static ToolHelp api;
  if (!api.resolved) {
    api.resolved = true;
    const char* const lib = "kernel32.dll";
    api.createSnapshot = GetProcFromLibraryAs<SnapshotFn>(lib, "CreateToolhelp32Snapshot");
    if (api.createSnapshot != nullptr) {
      api.first = GetProcFromLibraryAs<WalkFn>(lib, "Process32First");
      api.next = GetProcFromLibraryAs<WalkFn>(lib, "Process32Next");
    }
  }
  return api;
}

}  // namespace

HANDLE ThCreateToolhelp32Snapshot(DWORD flags, DWORD processId) {
  const ToolHelp& api = Bound();
  return api.createSnapshot != nullptr ? api.createSnapshot(flags, processId) : nullptr;
}

BOOL ThProcess32First(HANDLE snapshot, PROCESSENTRY32* entry) {
  const ToolHelp& api = Bound();
  return api.first != nullptr ? api.first(snapshot, entry) : 0;
}

BOOL ThProcess32Next(HANDLE snapshot, PROCESSENTRY32* entry) {
  const ToolHelp& api = Bound();
  return api.next != nullptr ? api.next(snapshot, entry) : 0;
}

}  // namespace vx
