// Finding, waiting for, asking to close and ending other programs by the path of their executable.
// Nothing here reports errors: a missing library, a process that cannot be opened or a program
// that is not running gives 0, false or no window. Windows build only.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

#include "text/str.h"

namespace vx {

// Ids of the running processes in the system's enumeration order (PSAPI); empty on failure.
std::vector<uint32_t> ProcessIdList();

// The process running target (a full path or a bare file name), 0 when none. A process matches
// when its executable path equals the target, or its base name does (unless fullPathOnly), or
// the short (8.3) forms of both paths are equal. Texts compare trimmed and ignoring case. Of
// several matches the one listed last by the system wins. NT family: the processes listed by
// PSAPI, each identified by the image path the system reports (QueryFullProcessImageNameA,
// where present) or else by its first module; other systems: ToolHelp.
uint32_t FindProcessByPath(const String& target, bool fullPathOnly);
// The two enumerations behind FindProcessByPath, callable on any system.
uint32_t FindProcessByPathPsApi(const String& target, bool fullPathOnly);
uint32_t FindProcessByPathToolHelp(const String& target, bool fullPathOnly);

// Enclosing double quotes are removed from the target; bare names match.
bool IsProgramRunning(const String& target);
// Returns when the program has ended (checked once a second, messages kept flowing). Traces
// "Pid=" and the process found on the NT family. A program this process started may come with
// its process handle (started): then the wait also lasts until that process has ended, even
// where the system lets no lookup by path find it.
void WaitForProgramEnd(const String& target, HANDLE started = nullptr);
// Pumps messages while a top-level window of the class (and the name, when not null or empty)
// exists.
void WaitWhileWindowClass(const String& className, const char* windowName);

// The program's main window as chosen by TAnalizer (window_analyser.h), null when none.
HWND FindMainWindow(const String& target, bool fullPathOnly);
// Posts the message to the main window; true when there was one.
bool PostToProgram(const String& target, bool fullPathOnly, UINT message, WPARAM wParam, LPARAM lParam);
bool CloseProgram(const String& target, bool fullPathOnly);  // WM_CLOSE, 15, 255
bool QuitProgram(const String& target, bool fullPathOnly);   // WM_QUIT, 15, 255
// Ends the process with exit code 0 without asking it; true when it was ended. Does not wait.
bool TerminateProgram(const String& target, bool fullPathOnly);

}  // namespace vx
