// The Win32 answers to the portable core. Trace chunks go to a ".VDebug." viewer window: one
// global atom per chunk, sent synchronously with the registered message ".V_DebugMsg.", under a
// lazily created lock.
#include "system/platform_win.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "system/debug.h"
#include "text/utils.h"

namespace vx {
namespace {

UINT g_debugMessage = 0;
CRITICAL_SECTION g_lock;
bool g_lockCreated = false;

class RunningSystem final : public Platform {
 public:
  double NowDateTime() override {
    SYSTEMTIME st;
    GetLocalTime(&st);
    const CivilTime t{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
    return EncodeDateTime(t) + st.wMilliseconds / 86400000.0;
  }

  uint32_t ProcessId() override { return GetCurrentProcessId(); }

  uint32_t LocaleId() override { return static_cast<uint32_t>(GetThreadLocale()); }

  uint32_t DriveClusterSize(const String& folder) override {
    const String root = folder.substr(0, 3);
    DWORD spc = 0, bps = 0, freeClusters = 0, total = 0;
    if (!GetDiskFreeSpaceA(root.c_str(), &spc, &bps, &freeClusters, &total)) return 0;
    return spc * bps;
  }

  void DeliverTrace(const char* chunk, size_t len) override {
    if (g_debugMessage == 0) return;  // the channel is not open
    if (!g_lockCreated) {
      InitializeCriticalSection(&g_lock);
      g_lockCreated = true;
    }
    EnterCriticalSection(&g_lock);
    if (len != 0) {
      char text[kDebugBufferSize + 1];
      if (len > kDebugBufferSize) len = kDebugBufferSize;  // a chunk is at most one buffer
      std::memcpy(text, chunk, len);
      text[len] = '\0';
      HWND viewer = FindWindowA(".VDebug.", nullptr);
      if (viewer != nullptr) {
        // An atom that cannot be made still gets its message, with 0 as the atom.
        const ATOM atom = GlobalAddAtomA(text);
        SendMessageA(viewer, g_debugMessage, 1, static_cast<LPARAM>(atom));
        if (atom != 0) GlobalDeleteAtom(atom);
      }
    }
    LeaveCriticalSection(&g_lock);
  }

  void PostWindowMessage(uintptr_t window, uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    PostMessageA(reinterpret_cast<HWND>(window), message, wParam, lParam);
  }
};

RunningSystem g_runningSystem;

void FlushAtExit() { DebugFlush(); }

}  // namespace

Platform& Win32Platform() { return g_runningSystem; }

void DebugOpen() {
  static bool opened = false;
  if (g_debugMessage == 0) g_debugMessage = RegisterWindowMessageA(".V_DebugMsg.");
  if (!opened) {
    opened = true;
    std::atexit(FlushAtExit);  // closing the channel delivers what is still buffered
  }
}

}  // namespace vx
