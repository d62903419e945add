// Minimal forms of the stub window and the copy steps; the full versions replace them.
#include <windows.h>

#include "env/debug.h"
#include "env/utils.h"
#include "launcher/stub.h"
#include "launcher/stub_steps.h"

namespace vx {
namespace {

constexpr UINT_PTR kTimerId = 1;

LRESULT CALLBACK StubWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_TIMER:
      if (!IsAgentCopy()) {
        KillTimer(wnd, kTimerId);
        DestroyWindow(wnd);
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(wnd, msg, wp, lp);
}

}  // namespace

void RunStubWindow() {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = StubWndProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = WindowClassName().c_str();
  RegisterClassA(&wc);
  HWND wnd = CreateWindowExA(0, wc.lpszClassName, "", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                             wc.hInstance, nullptr);
  if (wnd == nullptr) return;
  SetTimer(wnd, kTimerId, 1000, nullptr);
  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
}

void CreateAndRun_X_Exe() { DebugWriteLnPid(" CreateAndRun_X_Exe-1 " + SwitchValue("/_ZZ=")); }
void SpanRelay() {}
void ForwardControlSwitches(bool) {}
void ApplyTransientSwitch() {}
void InitAgent() {}

}  // namespace vx
