// Entry points of kernel32 that older systems lack, looked up once: the image-name query
// (Vista and later) and GetProcessId (XP SP1 and later).
#include "process/kernel32_win.h"
#include "system/winutil_win.h"

namespace vx {

namespace {

using QueryImageNameFn = BOOL(WINAPI*)(HANDLE, DWORD, char*, DWORD*);
using GetProcessIdFn = DWORD(WINAPI*)(HANDLE);

struct Kernel32 {
  bool resolved = false;
  QueryImageNameFn queryImageName = nullptr;
  GetProcessIdFn getProcessId = nullptr;
};

const Kernel32& Bound() {
  static Kernel32 api;
  if (!api.resolved) {
    api.resolved = true;
    const char* const lib = "kernel32.dll";
    api.queryImageName = GetProcFromLibraryAs<QueryImageNameFn>(lib, "QueryFullProcessImageNameA");
    api.getProcessId = GetProcFromLibraryAs<GetProcessIdFn>(lib, "GetProcessId");
  }
  return api;
}

}  // namespace

BOOL KQueryFullProcessImageNameA(HANDLE process, DWORD flags, char* name, DWORD* size) {
  const Kernel32& api = Bound();
  return api.queryImageName != nullptr ? api.queryImageName(process, flags, name, size) : 0;
}

DWORD KGetProcessId(HANDLE process) {
  const Kernel32& api = Bound();
  return api.getProcessId != nullptr ? api.getProcessId(process) : 0;
}

}  // namespace vx
