// The markup message box: a modal, top-most window with a coloured icon band, the text in a
// read-only rich-edit control and up to three buttons. One box at a time per process.
#include <windows.h>
#include <richedit.h>

#include "system/winutil_win.h"
#include "text/utils.h"
#include "ui/box_layout.h"
#include "ui/markup.h"
#include "ui/msgbox.h"
#include "ui/richedit_win.h"

namespace vx {

namespace {

const char kBoxClass[] = "VMsgBox";
constexpr COLORREF kBandColour = RGB(0, 78, 152);

struct BoxState {
  String fontFace = "Tahoma";
  int fontSize = 8;
  int charset = DEFAULT_CHARSET;
  HFONT font = nullptr;
  HINSTANCE instance = nullptr;
  HWND box = nullptr;
  HWND text = nullptr;
  HWND previousActive = nullptr;  // disabled while the box is up
  int iconId = 0;                 // 0: the program's "MainIcon"
  int requestedWidth = 0;         // last size the text control asked for
  int requestedHeight = 0;
  int result = 0;
  HWND slots[3] = {nullptr, nullptr, nullptr};
  bool done = false;
};

BoxState g_box;

int SlotOf(HWND window) {
  if (window == nullptr) return -1;
  for (int i = 0; i < 3; ++i)
    if (g_box.slots[i] == window) return i;
  return -1;
}

void ChooseButton(HWND button) {
  g_box.result = static_cast<int>(GetWindowLongPtrA(button, GWLP_USERDATA));
  PostMessageA(g_box.box, WM_CLOSE, 0, 0);
}

// Gives the slot the focus and the default-button look; an empty slot leaves no button focused.
void MakeDefaultSlot(int slot) {
  HWND target = (slot >= 0 && slot < 3) ? g_box.slots[slot] : nullptr;
  if (target != nullptr) {
    SetFocus(target);
    SetActiveWindow(g_box.box);
  } else if (slot >= 0 && slot < 3) {
    SetFocus(g_box.box);
  }
  for (HWND b : g_box.slots)
    if (b != nullptr) SendMessageA(b, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  if (target != nullptr) SendMessageA(target, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

void PaintBox(HWND wnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(wnd, &ps);
  RECT rc;
  GetClientRect(wnd, &rc);
  const int cw = rc.right, ch = rc.bottom;
  FillRect(dc, &rc, GetSysColorBrush(COLOR_WINDOW));

  DrawHorizontalLine(dc, GetSysColor(COLOR_3DDKSHADOW), ch - 37, cw);
  DrawHorizontalLine(dc, RGB(255, 255, 255), ch - 36, cw);

  RECT strip = {0, ch - 35, cw, ch};
  FillRect(dc, &strip, GetSysColorBrush(COLOR_BTNFACE));
  RECT band = {0, 0, kBoxBandWidth, ch - 37};
  HBRUSH bandBrush = CreateSolidBrush(kBandColour);
  FillRect(dc, &band, bandBrush);
  DeleteObject(bandBrush);

  HICON icon = g_box.iconId != 0 ? LoadIconA(nullptr, MAKEINTRESOURCEA(g_box.iconId))
                                 : LoadIconA(g_box.instance, "MainIcon");
  if (icon != nullptr) DrawIcon(dc, 11, 20, icon);
  EndPaint(wnd, &ps);
}

LRESULT CALLBACK BoxProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (AutoPlayMessage() != 0 && msg == AutoPlayMessage()) return 1;
  switch (msg) {
    case WM_COMMAND: {
      HWND sender = reinterpret_cast<HWND>(lp);
      if (SlotOf(sender) >= 0) ChooseButton(sender);
      return 0;
    }
    case WM_NOTIFY: {
      const NMHDR* hdr = reinterpret_cast<const NMHDR*>(lp);
      if (hdr != nullptr && hdr->code == EN_REQUESTRESIZE) {
        const RECT& r = reinterpret_cast<const REQRESIZE*>(lp)->rc;
        g_box.requestedWidth = r.right - r.left;
        g_box.requestedHeight = r.bottom - r.top;
      }
      break;
    }
    case WM_CTLCOLORSTATIC:  // the plain-edit fall-back: same background as the rich-edit control
      if (reinterpret_cast<HWND>(lp) == g_box.text) {
        return WindowColourBackground(reinterpret_cast<HDC>(wp));
      }
      break;
    case WM_CLOSE:
      if (g_box.previousActive != nullptr) {
        EnableWindow(g_box.previousActive, TRUE);
        SetActiveWindow(g_box.previousActive);
        SetFocus(g_box.previousActive);
      }
      break;
    case WM_DESTROY:
      if (g_box.font != nullptr) DeleteObject(g_box.font);
      g_box.font = nullptr;
      UnregisterClassA(kBoxClass, g_box.instance);
      g_box.done = true;
      return 1;
    case WM_PAINT:
      PaintBox(wnd);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(wnd, msg, wp, lp);
}

// Alt+mnemonic, arrow keys and Enter. Returns true when the message was consumed.
bool FilterKey(const MSG& m) {
  if (m.message == WM_SYSCHAR) {
    const char ch = static_cast<char>(m.wParam);
    for (HWND b : g_box.slots) {
      if (b != nullptr && MnemonicMatches(WindowText(b), ch)) {
        ChooseButton(b);
        return true;
      }
    }
    return false;
  }
  if (m.message != WM_KEYDOWN) return false;
  const int focused = SlotOf(GetFocus());
  switch (m.wParam) {
    case VK_LEFT:
    case VK_UP:
      MakeDefaultSlot(PreviousSlot(focused));
      return false;
    case VK_RIGHT:
    case VK_DOWN:
      MakeDefaultSlot(NextSlot(focused));
      return false;
    case VK_RETURN:
      if (focused < 0) return false;
      ChooseButton(g_box.slots[focused]);
      return true;
    default:
      return false;
  }
}

// Sets the control's width and reports the size it asks for afterwards.
class TextControlProbe : public WidthProbe {
 public:
  TextControlProbe(HWND control, int height) : control_(control), height_(height) {}
  BoxSize Apply(int width) override {
    SetWindowPos(control_, nullptr, 0, 0, width, height_, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageA(control_, EM_REQUESTRESIZE, 0, 0);
    return BoxSize{g_box.requestedWidth, g_box.requestedHeight};
  }

 private:
  HWND control_;
  int height_;
};

BoxSize MeasureText(const String& text) {
  HDC dc = GetDC(g_box.text);
  HGDIOBJ old = SelectObject(dc, g_box.font);
  TEXTMETRICA tm;
  ZeroMemory(&tm, sizeof tm);
  GetTextMetricsA(dc, &tm);
  const int lineHeight = BoxLineHeight(tm.tmHeight, tm.tmExternalLeading, g_box.fontFace);
  MessageMeasure measure(lineHeight);
  ForEachMessageLine(text, [&](const char* line, size_t length) {
    SIZE sz = {0, 0};
    GetTextExtentPoint32A(dc, line, static_cast<int>(length), &sz);
    measure.AddLine(sz.cx);
  });
  SelectObject(dc, old);
  ReleaseDC(g_box.text, dc);
  return measure.Size();
}

void ApplyBoldRuns(const std::vector<BoldRun>& runs) {
  for (const BoldRun& run : runs) {
    CHARRANGE range = {run.start, run.end};
    SendMessageA(g_box.text, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    CHARFORMATA cf;
    ZeroMemory(&cf, sizeof cf);
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
    cf.dwEffects = CFE_BOLD;
    SendMessageA(g_box.text, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  }
  CHARRANGE none = {0, 0};
  SendMessageA(g_box.text, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&none));
}

void CreateButtons(const String& buttons, uint32_t flags, int cw, int ch) {
  const ButtonSet set = ButtonSetFor(flags);
  for (int i = set.count - 1; i >= 0; --i) {
    const BoxRect r = BoxButtonRect(cw, ch, i, set.count);
    const String caption = ListItem(buttons, set.buttons[i].captionItem, "");
    HWND b = CreateWindowExA(0, "Button", caption.c_str(), WS_CHILD | WS_VISIBLE, r.x, r.y, r.cx, r.cy, g_box.box,
                             nullptr, g_box.instance, nullptr);
    if (b == nullptr) continue;
    SendMessageA(b, WM_SETFONT, reinterpret_cast<WPARAM>(g_box.font), TRUE);
    SetWindowLongPtrA(b, GWLP_USERDATA, set.buttons[i].result);
    g_box.slots[i] = b;
  }
}

// Fills the created box (text, size, place, buttons) and runs its message loop until it closes.
void LayOutAndRunBox(HMODULE richEdit, const String& text, const String& buttons, uint32_t flags) {
  DWORD style = WS_CHILD | WS_VISIBLE | ES_READONLY | ES_MULTILINE;
  if (flags & kBoxRightAlign) style |= ES_RIGHT;
  const DWORD exStyle = (flags & kBoxRtlReading) ? WS_EX_RTLREADING : 0;
  g_box.text = CreateTextControl(richEdit, g_box.box, style, exStyle, 86, 30, 100, 13);
  SendMessageA(g_box.text, EM_SETEVENTMASK, 0, ENM_REQUESTRESIZE);
  SendMessageA(g_box.text, WM_SETFONT, reinterpret_cast<WPARAM>(g_box.font), FALSE);
  SendMessageA(g_box.text, EM_SETBKGNDCOLOR, 0, GetSysColor(COLOR_WINDOW));

  const MarkupText shown = RenderMessageMarkup(text);
  SetWindowTextA(g_box.text, shown.text.c_str());
  ApplyBoldRuns(shown.runs);

  const BoxSize measured = MeasureText(shown.text);
  SetWindowPos(g_box.text, nullptr, 0, 0, measured.cx + 10, measured.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (!shown.runs.empty()) {
    TextControlProbe probe(g_box.text, measured.cy);
    WidenForBoldRuns(measured.cx, measured.cy, probe);
  }

  RECT er;
  GetWindowRect(g_box.text, &er);
  const int ew = er.right - er.left, eh = er.bottom - er.top;
  const BoxSize outer = BoxOuterSize(ew, eh, GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME),
                                     GetSystemMetrics(SM_CYCAPTION));
  const BoxSize origin =
      CenteredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), outer.cx, outer.cy);
  SetWindowPos(g_box.box, nullptr, origin.cx, origin.cy, outer.cx, outer.cy, SWP_NOZORDER);
  ShowWindow(g_box.box, SW_SHOW);

  RECT client;
  GetClientRect(g_box.box, &client);
  const int cw = client.right, ch = client.bottom;
  const BoxRect tr = BoxTextRect(cw, ch, ew, eh);
  SetWindowPos(g_box.text, nullptr, tr.x, tr.y, tr.cx, tr.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(g_box.text, SW_SHOW);

  g_box.iconId = BoxIconId(flags);
  CreateButtons(buttons, flags, cw, ch);
  MakeDefaultSlot(DefaultSlot(flags));

  MSG m;
  while (!g_box.done) {
    const BOOL got = GetMessageA(&m, nullptr, 0, 0);
    if (got == -1) break;
    if (got == 0) continue;  // a quit request does not end the box
    if (FilterKey(m)) continue;
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
}

}  // namespace

void SetBoxFont(const String& face, int points, int charset) {
  g_box.fontFace = face;
  g_box.charset = charset;
  if (points != 0) g_box.fontSize = points;
}

int ShowMarkupBox(WindowHandle owner, const String& text, const String& caption,
                  const String& buttons, uint32_t flags) {
  g_box.previousActive = GetActiveWindow();
  if (g_box.previousActive != nullptr) EnableWindow(g_box.previousActive, FALSE);
  g_box.result = 0;
  for (HWND& s : g_box.slots) s = nullptr;
  g_box.done = false;
  g_box.requestedWidth = g_box.requestedHeight = 0;
  g_box.instance = GetModuleHandleA(nullptr);

  g_box.font = CreateBoxFont(-PointsToPixels(g_box.fontSize), g_box.charset, g_box.fontFace);
  HMODULE richEdit = LoadRichEditLibrary();

  RegisterBoxClass(kBoxClass, BoxProc, g_box.instance);

  g_box.box = CreateWindowExA(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST, kBoxClass, caption.c_str(),
                              WS_VISIBLE | WS_CAPTION | WS_SYSMENU, -100, -100, 10, 10, owner, nullptr,
                              g_box.instance, nullptr);
  if (g_box.box == nullptr) {
    if (g_box.previousActive != nullptr) EnableWindow(g_box.previousActive, TRUE);
    if (g_box.font != nullptr) DeleteObject(g_box.font);
    g_box.font = nullptr;
  } else {
    LayOutAndRunBox(richEdit, text, buttons, flags);
  }

  UnregisterClassA(kBoxClass, g_box.instance);  // no box of the class is left, so this one succeeds
  g_box.box = nullptr;
  g_box.text = nullptr;
  if (richEdit != nullptr) FreeLibrary(richEdit);
  return g_box.result;
}

int MessageBoxCommon(WindowHandle owner, const String& text, const String& caption,
                     const String& buttons, int charset, uint32_t flags) {
  String shown = text;
  if (owner == nullptr) shown = BoxTextWithHeading(text, caption);
  if (owner == nullptr || owner == ActiveWindowOwner()) owner = GetActiveWindow();
  const int result = ShowMarkupBox(owner, shown, caption, buttons, BoxFlagsForCharset(flags, charset));
  Wait(100);
  return result;
}

namespace {

// A box of one kind: an empty caption or button list takes the built-in one of that kind.
int KindBox(WindowHandle owner, const String& text, const String& caption, int captionItem,
            const String& buttons, int charset, uint32_t flags) {
  return MessageBoxCommon(owner, text, CaptionOrDefault(caption, captionItem), ButtonListOrDefault(buttons),
                          charset, flags);
}

}  // namespace

void ErrorBox(WindowHandle owner, const String& text, const String& caption, const String& buttons,
              int charset) {
  KindBox(owner, text, caption, 0, buttons, charset, kBoxErrorFlags);
}

void AttentionBox(WindowHandle owner, const String& text, const String& caption,
                  const String& buttons, int charset) {
  KindBox(owner, text, caption, 1, buttons, charset, kBoxAttentionFlags);
}

bool ConfirmBox(WindowHandle owner, const String& text, const String& caption, const String& buttons,
                int charset) {
  return KindBox(owner, text, caption, 2, buttons, charset, kBoxConfirmFlags) == kBoxYes;
}

bool ConfirmOkBox(WindowHandle owner, const String& text, const String& caption,
                  const String& buttons, int charset) {
  return KindBox(owner, text, caption, 2, buttons, charset, kBoxConfirmOkFlags) == kBoxOk;
}

}  // namespace vx
