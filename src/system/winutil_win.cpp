// Win32 helpers.
#include "system/winutil_win.h"

#include <shellapi.h>

#include <cstring>

#include "text/switches.h"
#include "text/utils.h"

namespace vx {

namespace {

uint16_t g_autoPlayMessage = 0;
int g_pixelsPerInch = 0;  // 0 until read

}  // namespace

void PumpMessages(uint32_t ms) {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (ms == 0) {
    Sleep(0);
    return;
  }
  // The sleep waits on this thread's message queue for no kind of input, so it lasts the full
  // time like Sleep, yet counts as waiting for input: a program started with WinExec is seen
  // as idle here, and its starter's wait for that (up to 30 s) ends. Wine takes a plain Sleep
  // after an empty PeekMessageA for busy.
  MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, 0);
}

void Wait(uint32_t ms, uint32_t step) {
  if (step == 0) step = static_cast<uint32_t>(Clamp(static_cast<int32_t>(ms / 10), 1, 25));
  const DWORD deadline = GetTickCount() + ms;  // wraps like the tick count itself
  do {
    PumpMessages(step);
  } while (!(deadline < GetTickCount()));
}

bool ShellOpen(const String& file, const char* parameters, int showCommand) {
  HINSTANCE r = ShellExecuteA(GetDesktopWindow(), nullptr, file.c_str(), parameters, nullptr,
                              showCommand);
  return reinterpret_cast<INT_PTR>(r) > 32;
}

HMODULE LoadSystemLibrary(const char* library) {
  String path;  // the system folder and a backslash before a bare name
  const bool absolute =
      std::strlen(library) > 2 && (library[1] == ':' || (library[0] == '\\' && library[1] == '\\'));
  if (!absolute) {
    char dir[MAX_PATH + 1];
    const UINT n = GetSystemDirectoryA(dir, sizeof dir);
    if (n == 0 || n > MAX_PATH) return nullptr;
    path.assign(dir, n);
    path += '\\';
  }
  path += library;
  HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  return reinterpret_cast<UINT_PTR>(module) < 33 ? nullptr : module;
}

ProcAddress GetProcFromLibrary(const char* library, const char* procName) {
  HMODULE module = LoadSystemLibrary(library);
  if (module == nullptr) return nullptr;
  return reinterpret_cast<ProcAddress>(GetProcAddress(module, procName));
}

void GetProcsFromLibrary(const char* library, const char* names, ProcAddress* procs, int count) {
  for (int i = 0; i < count; ++i, names += std::strlen(names) + 1) procs[i] = GetProcFromLibrary(library, names);
}

bool IsWinNT() {
  OSVERSIONINFOA info;
  ZeroMemory(&info, sizeof info);
  info.dwOSVersionInfoSize = sizeof info;
  return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

String LastErrorText() {
  const DWORD code = GetLastError();
  char buf[1024];
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buf,
                           sizeof buf, nullptr);
  while (n > 0 && static_cast<unsigned char>(buf[n - 1]) <= ' ') --n;  // drop the line break
  return String(buf, n);
}

String ShortPathOf(const String& path) {
  if (path.empty()) return String();
  char buf[MAX_PATH + 1];
  const DWORD n = GetShortPathNameA(path.c_str(), buf, sizeof buf);
  return n > 0 && n < sizeof buf ? String(buf, n) : String();
}

String WindowText(HWND window) {
  if (window == nullptr) return String();
  char buf[1001];
  const int n = GetWindowTextA(window, buf, sizeof buf);
  return n > 0 ? String(buf, static_cast<size_t>(n)) : String();
}

void SetAutoPlaySuppression(bool on) {
  g_autoPlayMessage = on ? static_cast<uint16_t>(RegisterWindowMessageA("QueryCancelAutoPlay")) : 0;
}

uint16_t AutoPlayMessage() { return g_autoPlayMessage; }

int PointsToPixels(int points) {
  if (g_pixelsPerInch == 0) {
    HDC dc = GetDC(nullptr);
    g_pixelsPerInch = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    if (g_pixelsPerInch <= 0) g_pixelsPerInch = 96;
  }
  return MulDiv(points, g_pixelsPerInch, 72);
}

char LocaleTimeSeparator() {
  char buf[8];
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, buf, sizeof buf) > 1) return buf[0];
  return ':';
}

void InitCommandLineFromProcess() {
  String module(MAX_PATH, '\0');
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, &module[0], static_cast<DWORD>(module.size()));
    if (n < module.size() || module.size() >= 32768) {
      module.resize(n < module.size() ? n : module.size());
      break;
    }
    module.resize(module.size() * 2);
  }
  const char* line = GetCommandLineA();
  SetCommandLineSource(line != nullptr ? line : "", module);
}

bool SecureDllSearch() {
  using SetDirsFn = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (kernel == nullptr) return false;
  const SetDirsFn fn = reinterpret_cast<SetDirsFn>(
      reinterpret_cast<ProcAddress>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
  return fn != nullptr && fn(0x800) != FALSE;  // LOAD_LIBRARY_SEARCH_SYSTEM32
}

}  // namespace vx
