// vxdebugview: the window that receives the launcher's trace lines.
//
//   vxdebugview [/log=PATH] [/hidden] [/stop]
//
// A top-level window of class ".VDebug." that answers the registered message ".V_DebugMsg.":
// each message carries one chunk of at most 128 characters as a global atom (lParam), which is
// read while the message is handled. The chunks are joined and split at line feeds; every
// complete line is shown in the list and, with /log=PATH, appended to that file (CR LF ends).
// /hidden keeps the window invisible (it still receives lines); /stop closes running viewers.
#include <windows.h>

#include <string>

#include "system/files.h"
#include "system/winutil_win.h"
#include "text/switches.h"
#include "text/utils.h"

namespace {

constexpr int kMaxListLines = 20000;
constexpr int kListId = 100;

UINT g_debugMessage = 0;
HWND g_list = nullptr;
std::string g_logPath;
std::string g_pending;  // text after the last line feed received so far

void AddLine(const std::string& line) {
  if (!g_logPath.empty()) vx::AppendFileText(g_logPath, line + "\r\n", 0);
  if (g_list == nullptr) return;
  if (SendMessageA(g_list, LB_GETCOUNT, 0, 0) >= kMaxListLines) SendMessageA(g_list, LB_DELETESTRING, 0, 0);
  const LRESULT index = SendMessageA(g_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  if (index >= 0) SendMessageA(g_list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}

void AddChunk(const std::string& chunk) {
  g_pending += chunk;
  size_t start = 0;
  for (size_t lf = g_pending.find('\n'); lf != std::string::npos; lf = g_pending.find('\n', start)) {
    AddLine(g_pending.substr(start, lf - start));
    start = lf + 1;
  }
  g_pending.erase(0, start);
}

LRESULT CALLBACK ViewerProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == g_debugMessage && g_debugMessage != 0) {
    char name[256];
    const UINT n = lp != 0 ? GlobalGetAtomNameA(static_cast<ATOM>(lp), name, sizeof name) : 0;
    if (n > 0) AddChunk(std::string(name, n));
    return 0;
  }
  switch (msg) {
    case WM_CREATE:
      g_list = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT,
                               0, 0, 0, 0, wnd, reinterpret_cast<HMENU>(kListId), GetModuleHandleA(nullptr),
                               nullptr);
      SendMessageA(g_list, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_FIXED_FONT)), FALSE);
      SendMessageA(g_list, LB_SETHORIZONTALEXTENT, 4000, 0);
      return 0;
    case WM_SIZE:
      if (g_list != nullptr) MoveWindow(g_list, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
      return 0;
    case WM_DESTROY:
      if (!g_pending.empty()) AddLine(g_pending);  // a last line without its line feed
      g_pending.clear();
      g_list = nullptr;
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(wnd, msg, wp, lp);
  }
}

void StopRunningViewers() {
  for (int i = 0; i < 50; ++i) {
    HWND other = FindWindowA(".VDebug.", nullptr);
    if (other == nullptr) return;
    PostMessageA(other, WM_CLOSE, 0, 0);
    Sleep(100);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  vx::InitCommandLineFromProcess();
  if (vx::SwitchPresent("/stop")) {
    StopRunningViewers();
    return 0;
  }
  g_logPath = vx::SwitchValue("/log=");
  if (g_logPath == "TRUE") g_logPath.clear();
  const bool hidden = vx::SwitchPresent("/hidden");

  g_debugMessage = RegisterWindowMessageA(".V_DebugMsg.");
  WNDCLASSA wc = {};
  wc.lpfnWndProc = ViewerProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = ".VDebug.";
  if (!RegisterClassA(&wc)) return 1;
  HWND wnd = CreateWindowExA(0, ".VDebug.", "Vornix debug viewer", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                             CW_USEDEFAULT, 760, 480, nullptr, nullptr, instance, nullptr);
  if (wnd == nullptr) return 1;
  if (!hidden) {
    ShowWindow(wnd, showCommand);
    UpdateWindow(wnd);
  }
  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  return 0;
}
