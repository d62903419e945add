#include "ui/richedit_win.h"

#include "text/str.h"
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

}  // namespace vx
