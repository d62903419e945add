#include "ui/richedit_win.h"

namespace vx {

namespace {
const char* g_richEditName = "RICHED32.DLL";
}  // namespace

void SetRichEditLibraryName(const char* name) { g_richEditName = name != nullptr ? name : "RICHED32.DLL"; }

HMODULE LoadRichEditLibrary() {
  // Only the system folder's copy: never one planted next to the program or in the current folder.
  char dir[MAX_PATH + 1];
  const UINT n = GetSystemDirectoryA(dir, sizeof dir);
  if (n == 0 || n > MAX_PATH) return nullptr;
  const String path = String(dir, n) + "\\" + g_richEditName;
  const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE lib = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  SetErrorMode(oldMode);
  return lib;
}

HWND CreateTextControl(HMODULE richEdit, HWND parent, DWORD style, DWORD exStyle, int x, int y, int cx, int cy) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  HWND control = nullptr;
  if (richEdit != nullptr)
    control = CreateWindowExA(exStyle, "RICHEDIT", "", style, x, y, cx, cy, parent, nullptr, instance, nullptr);
  if (control == nullptr)
    control = CreateWindowExA(exStyle, "EDIT", "", style, x, y, cx, cy, parent, nullptr, instance, nullptr);
  return control;
}

HFONT CreateBoxFont(int height, int charset, const String& face) {
  return CreateFontA(height, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, static_cast<DWORD>(charset),
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS | DEFAULT_PITCH,
                     face.c_str());
}

void RegisterBoxClass(const char* className, WNDPROC proc, HINSTANCE instance) {
  WNDCLASSA wc;
  ZeroMemory(&wc, sizeof wc);
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = className;
  RegisterClassA(&wc);
}

void DrawHorizontalLine(HDC dc, COLORREF colour, int y, int width) {
  HPEN pen = CreatePen(PS_SOLID, 1, colour);
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, 0, y, nullptr);
  LineTo(dc, width, y);
  SelectObject(dc, old);
  DeleteObject(pen);
}

LRESULT WindowColourBackground(HDC dc) {
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
}

}  // namespace vx
