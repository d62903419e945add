// The inform dialog: a resizable window showing news in a read-only rich-edit control, with a
// button under a separator line that opens the link and closes the dialog. One at a time.
#include <windows.h>
#include <richedit.h>

#include "system/winutil_win.h"
#include "text/utils.h"
#include "ui/box_layout.h"
#include "ui/inform.h"
#include "ui/richedit_win.h"

namespace vx {

namespace {

const char kInformClass[] = "VRichEditBox";

struct InformState {
  String link;
  HINSTANCE instance = nullptr;
  HWND dialog = nullptr;
  HWND text = nullptr;
  HWND button = nullptr;
  HFONT buttonFont = nullptr;
  HFONT textFont = nullptr;
  bool done = false;
};

InformState g_inform;

void Layout(HWND wnd) {
  RECT rc;
  GetClientRect(wnd, &rc);
  const bool hasLink = !g_inform.link.empty();
  const BoxRect t = InformTextRect(rc.right, rc.bottom, hasLink);
  if (g_inform.text != nullptr) SetWindowPos(g_inform.text, nullptr, t.x, t.y, t.cx, t.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  if (hasLink && g_inform.button != nullptr) {
    const BoxRect b = InformButtonRect(rc.right, rc.bottom);
    SetWindowPos(g_inform.button, nullptr, b.x, b.y, b.cx, b.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void Paint(HWND wnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(wnd, &ps);
  RECT rc;
  GetClientRect(wnd, &rc);
  FillRect(dc, &rc, GetSysColorBrush(COLOR_WINDOW));
  if (!g_inform.link.empty()) {
    const int cw = rc.right, ch = rc.bottom;
    DrawHorizontalLine(dc, GetSysColor(COLOR_3DDKSHADOW), ch - 43, cw);
    RECT strip = {0, ch - 42, cw, ch};
    FillRect(dc, &strip, GetSysColorBrush(COLOR_BTNFACE));
  }
  EndPaint(wnd, &ps);
}

LRESULT CALLBACK InformProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      Layout(wnd);
      return 0;
    case WM_PAINT:
      Paint(wnd);
      return 0;
    case WM_COMMAND:
      if (g_inform.button != nullptr && reinterpret_cast<HWND>(lp) == g_inform.button) {
        ShellOpen(g_inform.link, "", SW_SHOWNORMAL);
        PostMessageA(wnd, WM_CLOSE, 0, 0);
        return 0;
      }
      break;
    case WM_CTLCOLORSTATIC:  // the plain-edit fall-back keeps the window colour
      if (reinterpret_cast<HWND>(lp) == g_inform.text) {
        return WindowColourBackground(reinterpret_cast<HDC>(wp));
      }
      break;
    case WM_DESTROY:
      g_inform.done = true;
      return 1;
    default:
      break;
  }
  return DefWindowProcA(wnd, msg, wp, lp);
}

void ShowInformDialog(HWND owner, const String& caption, const String& buttonCaption,
                      const String& content, int width, int height, bool rightToLeft,
                      const String& fontName, int fontSize, int charset) {
  g_inform.done = false;
  g_inform.instance = GetModuleHandleA(nullptr);
  g_inform.text = nullptr;
  g_inform.button = nullptr;
  HMODULE richEdit = LoadRichEditLibrary();

  g_inform.buttonFont = CreateBoxFont(-PointsToPixels(fontSize), charset, fontName);
  const String textFace = (!fontName.empty() && fontName != "Tahoma") ? fontName : String("Verdana");
  g_inform.textFont = CreateBoxFont(15, charset, textFace);

  RegisterBoxClass(kInformClass, InformProc, g_inform.instance);

  const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  g_inform.dialog = CreateWindowExA(WS_EX_DLGMODALFRAME, kInformClass, caption.c_str(),
                                    WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, x, y, width, height, owner,
                                    nullptr, g_inform.instance, nullptr);
  if (g_inform.dialog != nullptr) {
    RECT rc;
    GetClientRect(g_inform.dialog, &rc);
    const BoxRect t = InformTextRect(rc.right, rc.bottom, !g_inform.link.empty());
    DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_WANTRETURN;
    DWORD exStyle = 0;
    if (rightToLeft) {
      style |= ES_RIGHT;
      exStyle |= WS_EX_RTLREADING;
    }
    g_inform.text = CreateTextControl(richEdit, g_inform.dialog, style, exStyle, t.x, t.y, t.cx, t.cy);
    SendMessageA(g_inform.text, EM_SETEVENTMASK, 0, ENM_REQUESTRESIZE);
    SendMessageA(g_inform.text, WM_SETFONT, reinterpret_cast<WPARAM>(g_inform.textFont), FALSE);
    SendMessageA(g_inform.text, EM_SETBKGNDCOLOR, 0, GetSysColor(COLOR_WINDOW));
    SetWindowTextA(g_inform.text, content.c_str());

    if (!g_inform.link.empty()) {
      const BoxRect b = InformButtonRect(rc.right, rc.bottom);
      g_inform.button = CreateWindowExA(0, "Button", buttonCaption.c_str(), WS_CHILD | WS_VISIBLE, b.x, b.y, b.cx,
                                        b.cy, g_inform.dialog, nullptr, g_inform.instance, nullptr);
      if (g_inform.button != nullptr) {
        SetWindowLongPtrA(g_inform.button, GWLP_USERDATA, 1);
        SendMessageA(g_inform.button, WM_SETFONT, reinterpret_cast<WPARAM>(g_inform.buttonFont), TRUE);
        SetFocus(g_inform.button);
        SetActiveWindow(g_inform.dialog);
        SendMessageA(g_inform.button, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
      }
    }

    MSG m;
    while (!g_inform.done) {
      const BOOL got = GetMessageA(&m, nullptr, 0, 0);
      if (got == -1) break;
      if (got == 0) continue;
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
  }

  UnregisterClassA(kInformClass, g_inform.instance);
  DeleteObject(g_inform.buttonFont);
  DeleteObject(g_inform.textFont);
  g_inform.buttonFont = g_inform.textFont = nullptr;
  g_inform.dialog = g_inform.text = g_inform.button = nullptr;
  if (richEdit != nullptr) FreeLibrary(richEdit);
}

}  // namespace

bool ShowInform(WindowHandle owner, const String& caption, const String& buttonCaption,
                const String& content, const String& link, int width, int height, bool rightToLeft,
                const String& fontName, int fontSize, int charset) {
  const String trimmedLink = Trim(link);
  if (content.empty() && !trimmedLink.empty()) {
    ShellOpen(trimmedLink, "", SW_SHOW);
    return true;
  }
  if (content.empty()) return false;
  g_inform.link = trimmedLink;
  ShowInformDialog(owner, caption, buttonCaption, content, width, height, rightToLeft, fontName, fontSize, charset);
  return true;
}

}  // namespace vx
