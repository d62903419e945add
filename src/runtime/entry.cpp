// Entry point of the shipped launcher, in place of the C runtime's start-up code (command-line
// parsing for main, TLS and pseudo-relocation support, console and math-error hooks), none of which
// a GUI program that reads its command line through GetCommandLineA needs. msvcrt.dll sets
// itself up when it loads; the static constructors, the atexit list and the floating-point
// control word are handled here.
#include <windows.h>

#include <cstdlib>
#include <float.h>

using ExitFn = void (*)();

// The linker's list of static constructors: -1, the constructors, a null entry.
extern "C" ExitFn __CTOR_LIST__[];

namespace {

ExitFn* g_exitFns = nullptr;
int g_exitCount = 0;

// Runs the static constructors as the C runtime's start-up does, the last entry first. (The
// runtime's own routine also registers a walk of the destructor list, which stays empty here:
// static objects register their destructors through atexit.)
void RunStaticConstructors() {
  int n = 0;
  while (__CTOR_LIST__[n + 1] != nullptr) ++n;
  for (; n > 0; --n) __CTOR_LIST__[n]();
}

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
  RunStaticConstructors();
  // The launcher reads its command line itself (GetCommandLineA); the window's first ShowWindow
  // follows the starter's STARTUPINFO as with any SW_SHOWDEFAULT.
  const int code = WinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWDEFAULT);
  while (g_exitCount > 0) g_exitFns[--g_exitCount]();
  ExitProcess(static_cast<UINT>(code));
}
