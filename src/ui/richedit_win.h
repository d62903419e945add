// Pieces shared by the message box and the inform dialog: the rich-edit control library and the
// text control, the font, the window class and the painting of separator lines and backgrounds.
#pragma once
#include <windows.h>

#include "text/str.h"

namespace vx {

// Loads RICHED32.DLL from the system folder; null when it cannot be loaded. Free with FreeLibrary.
HMODULE LoadRichEditLibrary();
// Creates the text control: "RICHEDIT" when the library is loaded, else a plain edit control
// (which shows the same text without bold runs).
HWND CreateTextControl(HMODULE richEdit, HWND parent, DWORD style, DWORD exStyle, int x, int y, int cx, int cy);
// Library name used by LoadRichEditLibrary (tests use a missing name to exercise the fall-back).
void SetRichEditLibraryName(const char* name);

// The font of a box (any weight, Swiss family) with the given height in pixels (negative: the
// character height) and character set.
HFONT CreateBoxFont(int height, int charset, const String& face);
// Registers a box's window class: arrow cursor, button-face background, redrawn on resizing.
// Fails harmlessly when the class is still registered.
void RegisterBoxClass(const char* className, WNDPROC proc, HINSTANCE instance);
// A line of one pixel across the width at y, in the colour.
void DrawHorizontalLine(HDC dc, COLORREF colour, int y, int width);
// The answer to WM_CTLCOLORSTATIC for a text control on the window colour.
LRESULT WindowColourBackground(HDC dc);

}  // namespace vx
