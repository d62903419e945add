// Process and window control over the PSAPI / ToolHelp bindings.
#include "net/process.h"

#include <algorithm>

#include "env/debug.h"
#include "env/utils.h"
#include "env/winutil.h"
#include "net/analizer.h"
#include "net/process_bindings.h"

namespace vx {

namespace {

constexpr DWORD kNameBuffer = 256;  // module path and base name buffers, in characters

// The short (8.3) form of a path; empty when the file does not exist or has none.
String ShortPathOf(const String& path) {
  if (path.empty()) return String();
  char buf[MAX_PATH + 1];
  const DWORD n = GetShortPathNameA(path.c_str(), buf, sizeof buf);
  return n > 0 && n < sizeof buf ? String(buf, n) : String();
}

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

String FileNamePart(const String& path) {
  const size_t slash = path.find_last_of('\\');
  return slash == String::npos ? path : path.substr(slash + 1);
}

bool PsApiMatches(DWORD pid, const String& target, const String& shortTarget, bool fullPathOnly) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (process == nullptr) return false;
  bool match = false;
  HMODULE module = nullptr;
  DWORD needed = 0;
  if (PsEnumProcessModules(process, &module, sizeof module, &needed)) {
    char path[kNameBuffer];
    char base[kNameBuffer];
    const DWORD pathLen = PsGetModuleFileNameExA(process, module, path, kNameBuffer);
    const DWORD baseLen = PsGetModuleBaseNameA(process, module, base, kNameBuffer);
    if (pathLen > 0 && pathLen < kNameBuffer) {
      const String baseName = baseLen < kNameBuffer ? String(base, baseLen) : String();
      match = Matches(String(path, pathLen), baseName, target, shortTarget, fullPathOnly);
    }
  }
  CloseHandle(process);
  return match;
}

bool InProcessIdList(uint32_t pid) {
  const std::vector<uint32_t> ids = ProcessIdList();
  return std::find(ids.begin(), ids.end(), pid) != ids.end();
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
  std::vector<DWORD> ids(1024 / sizeof(DWORD));
  DWORD bytes = 0;
  for (;;) {
    const DWORD size = static_cast<DWORD>(ids.size() * sizeof(DWORD));
    if (!PsEnumProcesses(ids.data(), size, &bytes)) return std::vector<uint32_t>();
    if (bytes != size) break;
    ids.resize(ids.size() + 1024 / sizeof(DWORD));  // the list may not have fitted
  }
  const size_t count = std::min<size_t>(bytes / sizeof(DWORD), ids.size());
  return std::vector<uint32_t>(ids.begin(), ids.begin() + static_cast<std::ptrdiff_t>(count));
}

uint32_t FindProcessByPathPsApi(const String& target, bool fullPathOnly) {
  if (IsEmptyTarget(target)) return 0;
  const String shortTarget = ShortPathOf(target);
  const std::vector<uint32_t> ids = ProcessIdList();
  for (size_t i = ids.size(); i-- > 0;)
    if (PsApiMatches(ids[i], target, shortTarget, fullPathOnly)) return ids[i];
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

void WaitForProgramEnd(const String& target) {
  const String path = Unquote(target, true);
  if (IsWinNT()) {
    Wait(1000);
    const uint32_t pid = FindProcessByPath(path, false);
    DebugWriteLn("Pid=" + DbgUInt(pid));
    if (pid == 0) return;
    do {
      Wait(1000);
    } while (InProcessIdList(pid));
  } else {
    Wait(1000);
    do {
      Wait(1000);
    } while (IsProgramRunning(path));
  }
}

void WaitWhileWindowClass(const String& className, const String& windowName) {
  if (className.empty()) return;  // no window has an empty class name
  const char* name = windowName.empty() ? nullptr : windowName.c_str();
  while (FindWindowA(className.c_str(), name) != nullptr) {
    PumpMessages(0);
    Sleep(100);
  }
}

HWND FindMainWindow(const String& target, bool fullPathOnly) {
  const uint32_t pid = FindProcessByPath(target, fullPathOnly);
  if (pid == 0) return nullptr;
  TAnalizer analyser(pid);
  EnumWindows(OfferWindow, reinterpret_cast<LPARAM>(&analyser));
  analyser.ScoreWindows(DesktopWindowFacts());
  return reinterpret_cast<HWND>(analyser.MainWindow());
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
