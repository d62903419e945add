// The newer process queries of kernel32 that older systems lack, bound at run time on first use.
// When the library or the entry point is missing, the call returns 0. Windows build only.
#pragma once
#include <windows.h>

namespace vx {

// QueryFullProcessImageNameA: the path of the process's executable as the system reports it,
// for any process opened with the limited query right (other bitness and higher integrity
// levels included). size holds the buffer size in characters and returns the length.
BOOL KQueryFullProcessImageNameA(HANDLE process, DWORD flags, char* name, DWORD* size);
// GetProcessId (XP SP1 and later): the id of the process behind a handle.
DWORD KGetProcessId(HANDLE process);

}  // namespace vx
