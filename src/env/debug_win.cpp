#include <windows.h>

#include "env/debug.h"

namespace vx {
uint32_t CurrentProcessId() { return GetCurrentProcessId(); }
}  // namespace vx

namespace vx {
namespace {

UINT g_debugMessage = 0;
CRITICAL_SECTION g_lock;
bool g_lockCreated = false;

// Hands one chunk to a ".VDebug." viewer window as a global atom, under the lock.
void DeliverToViewer(const char* chunk, size_t len) {
  if (!g_lockCreated) {
    InitializeCriticalSection(&g_lock);
    g_lockCreated = true;
  }
  EnterCriticalSection(&g_lock);
  char text[129];
  if (len > 128) len = 128;
  memcpy(text, chunk, len);
  text[len] = '\0';
  HWND viewer = FindWindowA(".VDebug.", nullptr);
  if (viewer != nullptr) {
    ATOM atom = GlobalAddAtomA(text);
    SendMessageA(viewer, g_debugMessage, 1, static_cast<LPARAM>(atom));
    if (atom != 0) GlobalDeleteAtom(atom);
  }
  LeaveCriticalSection(&g_lock);
}

}  // namespace

void DebugOpen() {
  if (g_debugMessage == 0) g_debugMessage = RegisterWindowMessageA(".V_DebugMsg.");
  SetDebugDelivery(DeliverToViewer);
}

}  // namespace vx
