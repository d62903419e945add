// The image-name query of kernel32, looked up once; systems before Vista have none.
#include "env/winutil.h"
#include "net/process_bindings.h"

namespace vx {

namespace {

using QueryImageNameFn = BOOL(WINAPI*)(HANDLE, DWORD, char*, DWORD*);

QueryImageNameFn Bound() {
  static bool resolved = false;
  static QueryImageNameFn fn = nullptr;
  if (!resolved) {
    resolved = true;
    fn = GetProcFromLibraryAs<QueryImageNameFn>("kernel32.dll", "QueryFullProcessImageNameA");
  }
  return fn;
}

}  // namespace

BOOL KQueryFullProcessImageNameA(HANDLE process, DWORD flags, char* name, DWORD* size) {
  const QueryImageNameFn fn = Bound();
  return fn != nullptr ? fn(process, flags, name, size) : 0;
}

}  // namespace vx
