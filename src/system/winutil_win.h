// Win32 helpers: message-pumping waits, shell and library access, window and system queries.
// Windows build only.
#pragma once
#include <windows.h>

#include <cstdint>

#include "text/str.h"

namespace vx {

// Dispatches every message queued for this thread, then sleeps ms milliseconds.
void PumpMessages(uint32_t ms);
// Keeps the message queue flowing until ms milliseconds have passed; step 0 picks
// Clamp(ms / 10, 1, 25) milliseconds per sleep. Pumps at least once.
void Wait(uint32_t ms, uint32_t step = 0);

// ShellExecuteA with the default verb; true when the result is above 32.
bool ShellOpen(const String& file, const char* parameters, int showCommand);

// A system library, or null. A bare name is loaded from the system folder only (never from the
// program's folder or the current folder); every successful call holds one reference to it.
HMODULE LoadSystemLibrary(const char* library);
// An export of a system library, or null. A bare library name is loaded from the system folder
// only (never from the program's folder or the current folder); the library stays loaded.
using ProcAddress = void (*)();
ProcAddress GetProcFromLibrary(const char* library, const char* procName);
// Exports of one system library as GetProcFromLibrary finds them: names holds count names one
// after another, each ending with a zero byte; procs receives their addresses in that order.
void GetProcsFromLibrary(const char* library, const char* names, ProcAddress* procs, int count);
template <typename Fn>
Fn GetProcFromLibraryAs(const char* library, const char* procName) {
  return reinterpret_cast<Fn>(GetProcFromLibrary(library, procName));
}

// Sets an open file's last-write time from a packed local DOS date (high word) and time (low word).
void SetDosDate(HANDLE file, uint32_t fileDate);

bool IsWinNT();
String LastErrorText();
// The short (8.3) form of a path; empty when the file does not exist or has none.
String ShortPathOf(const String& path);
String WindowText(HWND window);  // at most 1000 characters; empty for a null handle

// While on, window procedures answer AutoPlayMessage() with 1 to cancel AutoPlay.
void SetAutoPlaySuppression(bool on);
uint16_t AutoPlayMessage();

int PointsToPixels(int points);  // screen pixels per inch read once and cached
// The user's time separator (for DateTimeText); ':' when the locale gives none.
char LocaleTimeSeparator();

// Hands GetCommandLineA and the module file name to the switch reader (utils.h).
void InitCommandLineFromProcess();
// Restricts implicit DLL loading to the system folder where the system supports it.
// Returns true when the restriction was applied.
bool SecureDllSearch();

}  // namespace vx
