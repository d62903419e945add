// Entry point of the shipped launcher, in place of the C runtime's start-up code (command-line
// parsing for main, TLS and pseudo-relocation support, console and math-error hooks), none of which
// a GUI program that reads its command line through GetCommandLineA needs. msvcrt.dll sets
// itself up when it loads; the static constructors, the atexit list and the floating-point
// control word are handled here.
#include <windows.h>

#include <cstdlib>
#include <float.h>

extern "C" void __main();  // libmingw32: runs the static constructors once

namespace {

using ExitFn = void (*)();
ExitFn* g_exitFns = nullptr;
int g_exitCount = 0;

}  // namespace

// The functions to run at the end, latest first: static destructors and the program's own.
extern "C" int atexit(ExitFn fn) {
  ExitFn* grown = static_cast<ExitFn*>(std::realloc(g_exitFns, (g_exitCount + 1) * sizeof(ExitFn)));
  if (grown == nullptr) return -1;
  g_exitFns = grown;
  g_exitFns[g_exitCount++] = fn;
  return 0;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);

extern "C" void LauncherEntry() {
  _fpreset();  // the floating-point control word MinGW programs start with
  __main();
  // The launcher reads its command line itself (GetCommandLineA); the window's first ShowWindow
  // follows the starter's STARTUPINFO as with any SW_SHOWDEFAULT.
  const int code = WinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWDEFAULT);
  while (g_exitCount > 0) g_exitFns[--g_exitCount]();
  ExitProcess(static_cast<UINT>(code));
}
