// WinINet entry points, looked up once each in the system folder's "WinINet.dll".
#include "net/inet_bindings_win.h"
#include "system/system_calls_win.h"
#include "system/winutil_win.h"

namespace vx {

namespace {

enum Entry {
  kGetConnectedState,
  kOpen,
  kOpenUrl,
  kHttpQueryInfo,
  kReadFile,
  kSetFilePointer,
  kCloseHandle,
  kEntryCount
};

const char* const kEntryNames[kEntryCount] = {
    "InternetGetConnectedState", "InternetOpenA",          "InternetOpenUrlA",   "HttpQueryInfoA",
    "InternetReadFile",          "InternetSetFilePointer", "InternetCloseHandle",
};

HMODULE g_library = nullptr;
ProcAddress g_entries[kEntryCount] = {};
bool g_looked[kEntryCount] = {};

template <typename Fn>
Fn Bound(Entry e) {
  if (!g_looked[e]) {
    g_looked[e] = true;
    if (g_library == nullptr) g_library = LoadSystemLibrary("WinINet.dll");
    if (g_library != nullptr)
      g_entries[e] = reinterpret_cast<ProcAddress>(GetProcAddress(g_library, kEntryNames[e]));
  }
  return reinterpret_cast<Fn>(g_entries[e]);
}

using OpenFn = HINTERNET(WINAPI*)(const char*, DWORD, const char*, const char*, DWORD);
using OpenUrlFn = HINTERNET(WINAPI*)(HINTERNET, const char*, const char*, DWORD, DWORD, DWORD_PTR);
using HttpQueryInfoFn = BOOL(WINAPI*)(HINTERNET, DWORD, void*, DWORD*, DWORD*);
using ReadFileFn = BOOL(WINAPI*)(HINTERNET, void*, DWORD, DWORD*);
using SetFilePointerFn = DWORD(WINAPI*)(HINTERNET, LONG, LONG*, DWORD, DWORD_PTR);
using CloseHandleFn = BOOL(WINAPI*)(HINTERNET);

}  // namespace

BOOL InetGetConnectedState(DWORD* flags, DWORD reserved) {
  const ConnectedStateQuery fn = Bound<ConnectedStateQuery>(kGetConnectedState);
  return fn != nullptr ? SysInternetGetConnectedState(fn, flags, reserved) : 0;
}

HINTERNET InetOpenA(const char* agent, DWORD accessType, const char* proxy, const char* proxyBypass, DWORD flags) {
  const OpenFn fn = Bound<OpenFn>(kOpen);
  return fn != nullptr ? fn(agent, accessType, proxy, proxyBypass, flags) : nullptr;
}

HINTERNET InetOpenUrlA(HINTERNET session, const char* url, const char* headers, DWORD headersLength, DWORD flags,
                       DWORD_PTR context) {
  const OpenUrlFn fn = Bound<OpenUrlFn>(kOpenUrl);
  return fn != nullptr ? fn(session, url, headers, headersLength, flags, context) : nullptr;
}

BOOL InetHttpQueryInfoA(HINTERNET request, DWORD infoLevel, void* buffer, DWORD* bufferLength, DWORD* index) {
  const HttpQueryInfoFn fn = Bound<HttpQueryInfoFn>(kHttpQueryInfo);
  return fn != nullptr ? fn(request, infoLevel, buffer, bufferLength, index) : 0;
}

BOOL InetReadFile(HINTERNET file, void* buffer, DWORD toRead, DWORD* read) {
  const ReadFileFn fn = Bound<ReadFileFn>(kReadFile);
  return fn != nullptr ? fn(file, buffer, toRead, read) : 0;
}

DWORD InetSetFilePointer(HINTERNET file, LONG distance, LONG* distanceHigh, DWORD method, DWORD_PTR context) {
  const SetFilePointerFn fn = Bound<SetFilePointerFn>(kSetFilePointer);
  return fn != nullptr ? fn(file, distance, distanceHigh, method, context) : 0;
}

BOOL InetCloseHandle(HINTERNET handle) {
  const CloseHandleFn fn = Bound<CloseHandleFn>(kCloseHandle);
  return fn != nullptr ? fn(handle) : 0;
}

void InetUnbind() {
  if (g_library != nullptr) FreeLibrary(g_library);
  g_library = nullptr;
  for (int e = 0; e < kEntryCount; ++e) {
    g_entries[e] = nullptr;
    g_looked[e] = false;
  }
}

}  // namespace vx
