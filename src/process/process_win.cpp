// Process and window control over the PSAPI / ToolHelp bindings.
#include "process/process_win.h"

#include <memory>

#include "process/kernel32_win.h"
#include "process/psapi_win.h"
#include "process/tlhelp_win.h"
#include "process/window_analyser.h"
#include "system/debug.h"
#include "system/system_calls_win.h"
#include "system/winutil_win.h"
#include "text/paths.h"
#include "text/utils.h"

namespace vx {

namespace {

constexpr DWORD kNameBuffer = 256;  // module path and base name buffers, in characters
constexpr DWORD kImageBuffer = 1024;  // image path buffer, in characters
// PROCESS_QUERY_LIMITED_INFORMATION (Vista and later): granted for processes of the other
// bitness and of higher integrity levels, where query-and-read rights are refused.
constexpr DWORD kQueryLimitedInformation = 0x1000;

// The matching rules: full path, base name (unless fullPathOnly), then short forms. The short
// form of the process's path is only looked up when the target has one.
bool Matches(const String& exePath, const String& baseName, const String& target,
             const String& shortTarget, bool fullPathOnly) {
  if (SameTextTrim(exePath, target)) return true;
  if (!fullPathOnly && SameTextTrim(baseName, target)) return true;
  return !shortTarget.empty() && SameTextTrim(ShortPathOf(exePath), shortTarget);
}

// A target of nothing but blanks equals no path either.
bool IsEmptyTarget(const String& target) { return Trim(target).empty(); }

// The executable path the system reports for a process; empty where the system has no such
// query (before Vista) or refuses it.
String ImagePathOf(DWORD pid) {
  String result;
  HANDLE process = SysOpenProcess(kQueryLimitedInformation, pid);
  if (process != nullptr) {
    char path[kImageBuffer];
    DWORD size = kImageBuffer;
    if (KQueryFullProcessImageNameA(process, 0, path, &size) && size > 0 && size < kImageBuffer)
      result.assign(path, size);
    CloseHandle(process);
  }
  return result;
}

// The path and base name of the process's first module, read from its memory; a 32-bit
// process cannot read them from a 64-bit one, nor open an elevated one for this.
bool ModulePathOf(DWORD pid, String& path, String& baseName) {
  HANDLE process = SysOpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, pid);
  if (process == nullptr) return false;
  bool found = false;
  HMODULE module = nullptr;
  DWORD needed = 0;
  if (PsEnumProcessModules(process, &module, sizeof module, &needed)) {
    char pathBuf[kNameBuffer];
    char base[kNameBuffer];
    const DWORD pathLen = PsGetModuleFileNameExA(process, module, pathBuf, kNameBuffer);
    const DWORD baseLen = PsGetModuleBaseNameA(process, module, base, kNameBuffer);
    if (pathLen > 0 && pathLen < kNameBuffer) {
      path.assign(pathBuf, pathLen);
      baseName.assign(base, baseLen < kNameBuffer ? baseLen : 0);
      found = true;
    }
  }
  CloseHandle(process);
  return found;
}

// A process is identified by the image path the system reports; where that query is missing
// or refused, by its first module. A process that gives neither does not match.
bool ProcessMatches(DWORD pid, const String& target, const String& shortTarget, bool fullPathOnly) {
  const String image = ImagePathOf(pid);
  if (!image.empty()) return Matches(image, FileNamePart(image), target, shortTarget, fullPathOnly);
  String path;
  String baseName;
  return ModulePathOf(pid, path, baseName) && Matches(path, baseName, target, shortTarget, fullPathOnly);
}

// A process handle that has not been signalled yet: its process still runs.
bool StillRunning(HANDLE process) { return process != nullptr && WaitForSingleObject(process, 0) == WAIT_TIMEOUT; }

bool InProcessIdList(uint32_t pid) {
  for (const uint32_t id : ProcessIdList())
    if (id == pid) return true;
  return false;
}

// Facts about real windows for the analyser.
class DesktopWindowFacts : public WindowFacts {
 public:
  WindowId Owner(WindowId window) const override {
    return reinterpret_cast<WindowId>(GetWindow(reinterpret_cast<HWND>(window), GW_OWNER));
  }
  bool HasTitle(WindowId window) const override { return !WindowText(reinterpret_cast<HWND>(window)).empty(); }
  bool IsVisible(WindowId window) const override { return IsWindowVisible(reinterpret_cast<HWND>(window)) != 0; }
};

BOOL CALLBACK OfferWindow(HWND window, LPARAM analyser) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  reinterpret_cast<TAnalizer*>(analyser)->Offer(reinterpret_cast<WindowId>(window), pid);
  return TRUE;
}

}  // namespace

std::vector<uint32_t> ProcessIdList() {
  static_assert(sizeof(DWORD) == sizeof(uint32_t), "process ids are 32-bit");
  std::vector<uint32_t> ids(1024 / sizeof(DWORD));
  DWORD bytes = 0;
  for (;;) {
    const DWORD size = static_cast<DWORD>(ids.size() * sizeof(DWORD));
    if (!PsEnumProcesses(reinterpret_cast<DWORD*>(ids.data()), size, &bytes)) bytes = 0;
    if (bytes != size) break;
    ids = std::vector<uint32_t>(ids.size() + 1024 / sizeof(DWORD));  // the list may not have fitted
  }
  const size_t count = bytes / sizeof(DWORD);
  if (count < ids.size()) ids.erase(ids.begin() + static_cast<std::ptrdiff_t>(count), ids.end());
  return ids;
}

uint32_t FindProcessByPathPsApi(const String& target, bool fullPathOnly) {
  if (IsEmptyTarget(target)) return 0;
  const String shortTarget = ShortPathOf(target);
  const std::vector<uint32_t> ids = ProcessIdList();
  for (size_t i = ids.size(); i-- > 0;)
    if (ProcessMatches(ids[i], target, shortTarget, fullPathOnly)) return ids[i];
  return 0;
}

uint32_t FindProcessByPathToolHelp(const String& target, bool fullPathOnly) {
  if (IsEmptyTarget(target)) return 0;
  const String shortTarget = ShortPathOf(target);
  HANDLE snapshot = ThCreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == nullptr || snapshot == INVALID_HANDLE_VALUE) return 0;
  uint32_t found = 0;
  PROCESSENTRY32 entry;
  ZeroMemory(&entry, sizeof entry);
  entry.dwSize = sizeof entry;
  for (BOOL ok = ThProcess32First(snapshot, &entry); ok; ok = ThProcess32Next(snapshot, &entry)) {
    entry.szExeFile[sizeof entry.szExeFile - 1] = '\0';
    const String exe = entry.szExeFile;
    if (!exe.empty() && Matches(exe, FileNamePart(exe), target, shortTarget, fullPathOnly))
      found = entry.th32ProcessID;
  }
  CloseHandle(snapshot);
  return found;
}

uint32_t FindProcessByPath(const String& target, bool fullPathOnly) {
  return IsWinNT() ? FindProcessByPathPsApi(target, fullPathOnly) : FindProcessByPathToolHelp(target, fullPathOnly);
}

bool IsProgramRunning(const String& target) { return FindProcessByPath(Unquote(target, true), false) != 0; }

void WaitForProgramEnd(const String& target, HANDLE started) {
  const String path = Unquote(target, true);
  if (IsWinNT()) {
    Wait(1000);
    const uint32_t pid = FindProcessByPath(path, false);
    DebugWriteLn("Pid=", DbgUInt(pid));
    // The started process is watched through its handle (an ended process that someone still
    // holds a handle of may stay in the process list); another one found by path, by its id.
    const uint32_t other = started != nullptr && pid == KGetProcessId(started) ? 0 : pid;
    if (other == 0 && !StillRunning(started)) return;
    do {
      Wait(1000);
    } while (StillRunning(started) || (other != 0 && InProcessIdList(other)));
  } else {
    Wait(1000);
    do {
      Wait(1000);
    } while (StillRunning(started) || IsProgramRunning(path));
  }
}

void WaitWhileWindowClass(const String& className, const char* windowName) {
  if (className.empty()) return;  // no window has an empty class name
  const char* name = windowName != nullptr && windowName[0] != '\0' ? windowName : nullptr;
  while (FindWindowA(className.c_str(), name) != nullptr) {
    PumpMessages(0);
    Sleep(100);
  }
}

HWND FindMainWindow(const String& target, bool fullPathOnly) {
  const uint32_t pid = FindProcessByPath(target, fullPathOnly);
  if (pid == 0) return nullptr;
  // The analyser's window table is large: it lives on the heap, not on the stack.
  std::unique_ptr<TAnalizer> analyser(new TAnalizer(pid));
  EnumWindows(OfferWindow, reinterpret_cast<LPARAM>(analyser.get()));
  analyser->ScoreWindows(DesktopWindowFacts());
  return reinterpret_cast<HWND>(analyser->MainWindow());
}

bool PostToProgram(const String& target, bool fullPathOnly, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = FindMainWindow(target, fullPathOnly);
  if (window == nullptr) return false;
  PostMessageA(window, message, wParam, lParam);
  return true;
}

bool CloseProgram(const String& target, bool fullPathOnly) {
  return PostToProgram(target, fullPathOnly, WM_CLOSE, 15, 255);
}

bool QuitProgram(const String& target, bool fullPathOnly) {
  return PostToProgram(target, fullPathOnly, WM_QUIT, 15, 255);
}

bool TerminateProgram(const String& target, bool fullPathOnly) {
  const uint32_t pid = FindProcessByPath(target, fullPathOnly);
  if (pid == 0) return false;
  HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, pid);
  if (process == nullptr) return false;
  const bool ended = TerminateProcess(process, 0) != 0;
  CloseHandle(process);
  return ended;
}

}  // namespace vx
