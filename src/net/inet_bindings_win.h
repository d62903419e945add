// Run-time binding of WinINet: "WinINet.dll" from the system folder, loaded on the first lookup,
// and seven entry points, each looked up by name on its first use and cached. When the library or
// an entry point is missing, the call returns 0 (false, no handle). Windows build only.
#pragma once
#include <windows.h>
#include <wininet.h>

namespace vx {

BOOL InetGetConnectedState(DWORD* flags, DWORD reserved);
HINTERNET InetOpenA(const char* agent, DWORD accessType, const char* proxy, const char* proxyBypass, DWORD flags);
HINTERNET InetOpenUrlA(HINTERNET session, const char* url, const char* headers, DWORD headersLength, DWORD flags,
                       DWORD_PTR context);
BOOL InetHttpQueryInfoA(HINTERNET request, DWORD infoLevel, void* buffer, DWORD* bufferLength, DWORD* index);
BOOL InetReadFile(HINTERNET file, void* buffer, DWORD toRead, DWORD* read);
DWORD InetSetFilePointer(HINTERNET file, LONG distance, LONG* distanceHigh, DWORD method, DWORD_PTR context);
BOOL InetCloseHandle(HINTERNET handle);
// Frees the library and forgets the entry points; the next call loads it again.
void InetUnbind();

}  // namespace vx
