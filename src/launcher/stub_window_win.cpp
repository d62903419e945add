// The stub window (Win32 side): class, controls, timer, message loop and remote control.
#include "launcher/stub_window.h"

#include <windows.h>
#include <commctrl.h>

#include "agent/agent_state.h"
#include "launcher/main_body.h"
#include "launcher/setup_launch.h"
#include "launcher/stub_window_layout.h"
#include "net/inet_http.h"
#include "package/unpack_files_win.h"
#include "system/files.h"
#include "system/winutil_win.h"
#include "text/switches.h"
#include "text/utils.h"
#include "ui/lang_defaults.h"
#include "ui/msgbox.h"

namespace vx {
namespace {

constexpr UINT_PTR kTimerId = 1;
constexpr UINT kTimerMs = 1000;
const char* const kIconName = "MainIcon";

HWND g_window = nullptr;
HWND g_statusLine = nullptr;
HWND g_mainBar = nullptr;
HWND g_activityBar = nullptr;
HFONT g_statusFont = nullptr;
int32_t g_activityCount = 0;
int32_t g_mainStep = 10;  // the step the main bar was given (a progress bar's own is 10)

HWND CreateChild(HWND parent, const char* cls, DWORD style, const ControlRect& r) {
  return CreateWindowExA(0, cls, "", style, r.x, r.y, r.width, r.height, parent, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

// Puts a new font on the status line and releases the one it replaces.
void ReplaceStatusFont(HFONT font) {
  if (g_statusLine != nullptr) SendMessageA(g_statusLine, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (g_statusFont != nullptr) DeleteObject(g_statusFont);
  g_statusFont = font;
}

void OnCreate(HWND wnd) {
  g_window = wnd;
  g_statusLine = CreateChild(wnd, "Static", WS_CHILD | WS_VISIBLE, kStatusLineRect);
  g_mainBar = CreateChild(wnd, PROGRESS_CLASSA, WS_CHILD | WS_VISIBLE, kMainBarRect);
  g_activityBar = CreateChild(wnd, PROGRESS_CLASSA, WS_CHILD, kActivityBarRect);
  SetTimer(wnd, kTimerId, kTimerMs, nullptr);
  ReplaceStatusFont(CreateFontA(-11, 0, 0, 0, 0, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma"));
}

void OnPaint(HWND wnd) {
  HDC dc = GetDC(wnd);
  if (dc == nullptr) return;
  RECT r;
  GetClientRect(wnd, &r);
  HBRUSH brush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  FillRect(dc, &r, brush);
  DeleteObject(brush);
  HICON icon = LoadIconA(GetModuleHandleA(nullptr), kIconName);
  if (icon != nullptr) DrawIcon(dc, kIconX, kIconY, icon);
  ReleaseDC(wnd, dc);
}

void OnNcDestroy() {
  ReplaceStatusFont(nullptr);
  g_window = g_statusLine = g_mainBar = g_activityBar = nullptr;
}

LRESULT CALLBACK StubWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  const uint16_t autoPlay = AutoPlayMessage();
  if (autoPlay != 0 && msg == autoPlay) return 1;
  switch (msg) {
    case WM_CREATE:
      OnCreate(wnd);
      break;
    case WM_PAINT:
      OnPaint(wnd);
      break;
    case WM_TIMER:
      if (AgentFlag()) {
        AutoUpdateTick();
      } else {
        RunStubJob(wnd);  // stops the timer first, so it runs once
      }
      break;
    case WM_CLOSE:
      // The first request only aborts a running download; the second one closes.
      if (!DownloadAbortFlag()) {
        SetDownloadAbortFlag(true);
        return 0;
      }
      break;
    case WM_DESTROY:
      SetDownloadAbortFlag(true);
      DeleteTree(WorkFolder(), true);
      PostQuitMessage(0);
      break;
    case WM_NCDESTROY:
      OnNcDestroy();
      break;
    case kMsgStopRequest:
      SetStopRequest(static_cast<int32_t>(wp));
      break;
    case kMsgSubscribe:
      Subscribe(static_cast<uintptr_t>(wp), static_cast<uint32_t>(lp), reinterpret_cast<uintptr_t>(wnd));
      break;
    case kMsgCommand:
      return RunRemoteCommand(static_cast<uint32_t>(wp), static_cast<int32_t>(lp));
  }
  return DefWindowProcA(wnd, msg, wp, lp);
}

}  // namespace

WindowHandle StubWindowHandle() { return g_window; }

void RunStubWindow() {
  ApplySleepSwitch(SwitchInt("/SleepX=", -1));
  InitCommonControls();

  HINSTANCE inst = GetModuleHandleA(nullptr);
  WNDCLASSA wc = {};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = StubWndProc;
  wc.hInstance = inst;
  wc.hIcon = LoadIconA(inst, kIconName);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = WindowClassName().c_str();
  RegisterClassA(&wc);

  const TGFileInfo& own = OwnPackage();
  const String caption = LauncherText(own.LanguageBlock(), "s0");  // "Vornix Installation Suite" by default
  const int x = CenteredOrigin(GetSystemMetrics(SM_CXSCREEN), kStubWidth);
  const int y = CenteredOrigin(GetSystemMetrics(SM_CYSCREEN), kStubHeight);
  HWND wnd = CreateWindowExA(0, wc.lpszClassName, caption.c_str(), kStubStyle, x, y, kStubWidth, kStubHeight,
                             nullptr, nullptr, inst, nullptr);

  SetBoxFont(own.LanguageFontName(), own.LanguageFontSize(), own.LanguageCharset());

  if (wnd != nullptr) {
    ShowWindow(wnd, SW_HIDE);
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
  }

  if (wnd != nullptr) KillTimer(wnd, kTimerId);
  SetDownloadAbortFlag(true);
  InternetUnload();
  PostClientNotification(kNotifyLoopEnded, 0);
}

void SetStatusLine(const String& text, const String& fontName, int charset, int fontSize) {
  if (g_statusLine == nullptr) return;
  const bool rtl = charset == 177 || charset == 178;
  SetWindowLongA(g_statusLine, GWL_EXSTYLE, rtl ? WS_EX_RTLREADING : 0);
  SetWindowLongA(g_statusLine, GWL_STYLE, WS_CHILD | WS_VISIBLE | (rtl ? SS_RIGHT : 0));
  ReplaceStatusFont(CreateFontA(-PointsToPixels(fontSize), 0, 0, 0, FW_NORMAL, 0, 0, 0,
                                static_cast<DWORD>(charset & 0xFF), 0, 0, 0, 0, fontName.c_str()));
  SendMessageA(g_statusLine, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void ShowStubWindow(bool visible) {
  if (g_window != nullptr) ShowWindow(g_window, visible ? SW_SHOW : SW_HIDE);
}

void ShowActivityBar(bool visible) {
  if (g_activityBar != nullptr) ShowWindow(g_activityBar, visible ? SW_SHOW : SW_HIDE);
}

void StepProgressBar(WindowHandle bar, int32_t stepSize, int32_t steps) {
  while (steps > 0) {
    const int32_t position = static_cast<int32_t>(SendMessageA(bar, PBM_GETPOS, 0, 0));
    const int32_t top = static_cast<int32_t>(SendMessageA(bar, PBM_GETRANGE, FALSE, 0));
    const int32_t fit = StepsWithinRange(position, top, stepSize, steps);
    if (fit > 0) {
      SendMessageA(bar, PBM_DELTAPOS, static_cast<WPARAM>(fit * stepSize), 0);
      steps -= fit;
    } else {  // the step that wraps around, as only the control knows
      SendMessageA(bar, PBM_STEPIT, 0, 0);
      --steps;
    }
  }
}

void DownloadProgress(int32_t kind, int32_t first, int32_t max, int32_t position, int32_t step,
                      const String&) {
  if (kind == 0) {
    SendMessageA(g_mainBar, PBM_SETRANGE, static_cast<WPARAM>(first), static_cast<LPARAM>(ProgressRangeParam(max)));
    SendMessageA(g_mainBar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    SendMessageA(g_mainBar, PBM_SETSTEP, static_cast<WPARAM>(step), 0);
    g_mainStep = step;
    SendMessageA(g_activityBar, PBM_SETRANGE, 0, MAKELPARAM(0, kActivityTop));
    SendMessageA(g_activityBar, PBM_SETPOS, 0, 0);
    SendMessageA(g_activityBar, PBM_SETSTEP, 1, 0);
  } else if (kind == 1) {
    const int32_t steps = step > 1 ? step : 1;
    StepProgressBar(g_mainBar, g_mainStep, steps);
    for (int32_t i = 0; i < steps; ++i) g_activityCount = NextActivityCount(g_activityCount);
    SendMessageA(g_activityBar, PBM_SETPOS, static_cast<WPARAM>(g_activityCount), 0);
  }
}

}  // namespace vx
