// Loading of the rich-edit control library for one box or dialog.
#pragma once
#include <windows.h>

namespace vx {

// Loads RICHED32.DLL from the system folder; null when it cannot be loaded. Free with FreeLibrary.
HMODULE LoadRichEditLibrary();
// Creates the text control: "RICHEDIT" when the library is loaded, else a plain edit control
// (which shows the same text without bold runs).
HWND CreateTextControl(HMODULE richEdit, HWND parent, DWORD style, DWORD exStyle, int x, int y, int cx, int cy);
// Library name used by LoadRichEditLibrary (tests use a missing name to exercise the fall-back).
void SetRichEditLibraryName(const char* name);

}  // namespace vx
