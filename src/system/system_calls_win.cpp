// The plain system calls behind system_calls.h (the launcher's own build).
#include "system/system_calls_win.h"

namespace vx {

HANDLE SysOpenProcess(DWORD access, DWORD processId) { return OpenProcess(access, FALSE, processId); }

BOOL SysCreateProcess(char* commandLine, STARTUPINFOA* startup, PROCESS_INFORMATION* info) {
  return CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, startup, info);
}

BOOL SysShellExecuteEx(SHELLEXECUTEINFOA* info) { return ShellExecuteExA(info); }

HANDLE SysCreateFile(const char* path, DWORD access, DWORD disposition, DWORD flags) {
  return CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition, flags, nullptr);
}

BOOL SysInternetGetConnectedState(ConnectedStateQuery query, DWORD* flags, DWORD reserved) {
  return query(flags, reserved);
}

}  // namespace vx
