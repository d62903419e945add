// The launcher's test build (vxstub_seams.exe) links these in place of the plain system calls
// of env/system_calls_win.cpp, to play what Wine on a test machine does not show. The
// environment variable VX_SEAM names what to play, one or more of:
//   hidemodules    every other process refuses the query-and-read rights, as a 64-bit or an
//                  elevated process does to a 32-bit standard one: its modules cannot be read
//   hideprocesses  every other process refuses every right, so no lookup by path finds it
//   elevate        the first program start fails with 740 (the program asks for administrator
//                  rights); the shell's start then runs for real
//   refuse         as elevate, but the shell's start reports that the user refused the prompt
//   offline        the connected-state query reports no connection, as it does on a machine
//                  without a network route (Wine answers so when the host has no default route;
//                  a test cannot take the route away from the machine it shares)
// VX_SEAM_READONLY names a folder (with its trailing backslash) in which no file may be created
// or opened for writing, as in a Program Files folder for a standard user.
// VX_SEAM_LOG names a file that gets one line per shell start: verb, file, parameters, folder,
// show state and mask.
#include <windows.h>
#include <wininet.h>

#include <string>

#include "system/system_calls_win.h"

namespace {

std::string Variable(const char* name) {
  char buf[MAX_PATH];
  const DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
  return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}

bool Playing(const char* word) {
  return (" " + Variable("VX_SEAM") + " ").find(" " + std::string(word) + " ") != std::string::npos;
}

bool InReadOnlyFolder(const std::string& path) {
  const std::string folder = Variable("VX_SEAM_READONLY");
  return !folder.empty() && path.size() > folder.size() &&
         CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, path.c_str(), static_cast<int>(folder.size()),
                        folder.c_str(), static_cast<int>(folder.size())) == CSTR_EQUAL;
}

void Log(const std::string& line) {
  const std::string path = Variable("VX_SEAM_LOG");
  if (path.empty()) return;
  HANDLE h = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  const std::string text = line + "\r\n";
  DWORD put = 0;
  WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &put, nullptr);
  CloseHandle(h);
}

std::string Text(const char* s) { return s != nullptr ? std::string(s) : std::string("(null)"); }

bool g_startRefused = false;

}  // namespace

namespace vx {

HANDLE SysOpenProcess(DWORD access, DWORD processId) {
  if (processId != GetCurrentProcessId()) {
    const bool refuse = Playing("hideprocesses") ||
                        (Playing("hidemodules") && (access & (PROCESS_QUERY_INFORMATION | PROCESS_VM_READ)) != 0);
    if (refuse) {
      SetLastError(ERROR_ACCESS_DENIED);
      return nullptr;
    }
  }
  return OpenProcess(access, FALSE, processId);
}

BOOL SysCreateProcess(char* commandLine, STARTUPINFOA* startup, PROCESS_INFORMATION* info) {
  if ((Playing("elevate") || Playing("refuse")) && !g_startRefused) {
    g_startRefused = true;
    SetLastError(740);  // ERROR_ELEVATION_REQUIRED
    return FALSE;
  }
  return CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, startup, info);
}

BOOL SysShellExecuteEx(SHELLEXECUTEINFOA* info) {
  Log("verb=" + Text(info->lpVerb) + "|file=" + Text(info->lpFile) + "|parameters=" + Text(info->lpParameters) +
      "|folder=" + Text(info->lpDirectory) + "|show=" + std::to_string(info->nShow) +
      "|mask=" + std::to_string(info->fMask) + "|owner=" + (info->hwnd != nullptr ? "window" : "none"));
  if (Playing("refuse")) {
    SetLastError(ERROR_CANCELLED);
    return FALSE;
  }
  return ShellExecuteExA(info);
}

BOOL SysInternetGetConnectedState(ConnectedStateQuery query, DWORD* flags, DWORD reserved) {
  if (Playing("offline")) {
    if (flags != nullptr) *flags = INTERNET_CONNECTION_OFFLINE;
    return FALSE;
  }
  return query(flags, reserved);
}

HANDLE SysCreateFile(const char* path, DWORD access, DWORD disposition, DWORD flags) {
  if ((access & GENERIC_WRITE) != 0 && InReadOnlyFolder(path)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  return CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition, flags, nullptr);
}

}  // namespace vx
