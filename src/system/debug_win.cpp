// Delivery of trace chunks to a ".VDebug." viewer window: one global atom per chunk, sent
// synchronously with the registered message ".V_DebugMsg.", under a lazily created lock.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "system/debug.h"

namespace vx {
uint32_t CurrentProcessId() { return GetCurrentProcessId(); }
}  // namespace vx

namespace vx {
namespace {

UINT g_debugMessage = 0;
CRITICAL_SECTION g_lock;
bool g_lockCreated = false;

void DeliverToViewer(const char* chunk, size_t len) {
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

void FlushAtExit() { DebugFlush(); }

}  // namespace

void DebugOpen() {
  static bool opened = false;
  if (g_debugMessage == 0) g_debugMessage = RegisterWindowMessageA(".V_DebugMsg.");
  SetDebugDelivery(DeliverToViewer);
  if (!opened) {
    opened = true;
    std::atexit(FlushAtExit);  // closing the channel delivers what is still buffered
  }
}

}  // namespace vx
