// The folder rules bound to the running system: Win32 folder calls, the shell's folder functions
// looked up at run time, the registry and the code page's lead bytes.
#include <windows.h>

#include "system/files.h"
#include "system/folder_resolver.h"
#include "system/folders.h"
#include "system/lasting.h"
#include "system/registry.h"
#include "system/winutil_win.h"
#include "text/switches.h"
#include "text/utils.h"

namespace vx {
namespace {

constexpr UINT kFolderBuffer = 256;
constexpr size_t kShellBuffer = 1025;

bool IsLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != 0; }

String FromBuffer(const char* buf, UINT n, UINT size) { return n > 0 && n < size ? String(buf, n) : String(); }

// A folder from GetWindowsDirectoryA or GetSystemDirectoryA (same signature).
String FolderFromCall(UINT(WINAPI* get)(LPSTR, UINT)) {
  char buf[kFolderBuffer];
  return FromBuffer(buf, get(buf, kFolderBuffer), kFolderBuffer);
}

class Win32Folders : public FolderSystem {
 public:
  LeadByteTest LeadBytes() override { return IsLeadByte; }
  bool FolderExists(const String& path) override { return DirectoryExists(path); }
  String WindowsDirectory() override { return FolderFromCall(GetWindowsDirectoryA); }
  String SystemDirectory() override { return FolderFromCall(GetSystemDirectoryA); }
  String FolderPath(int id) override { return vx::FolderPath(id); }
  String SpecialFolderPath(int id) override { return vx::SpecialFolderPath(id); }
  String RegistryText(const char* keyPath, const char* valueName) override {
    return RegReadStr(keyPath, valueName, "");
  }
  String RegisteredOwner() override { return vx::RegisteredOwner(); }
};

Win32Folders g_system;

}  // namespace

LeadByteTest SystemLeadBytes() { return IsLeadByte; }

String SetTrailingBackslash(const String& path, bool add) {
  return SetTrailingBackslash(path, add, IsLeadByte);
}

String RemoveTrailingBackslash(const String& path) { return RemoveTrailingBackslash(path, IsLeadByte); }

String CollapseBackslashes(const String& path, bool strip) {
  return CollapseBackslashes(path, strip, IsLeadByte);
}

String ExePath() {
  char buf[MAX_PATH + 1];
  const DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
  return FromBuffer(buf, n, sizeof buf);
}

String ExeDir(bool add) { return SetTrailingBackslash(FolderOf(ExePath(), IsLeadByte), add); }

String TempDir(bool add) {
  char buf[kFolderBuffer];
  return SetTrailingBackslash(FromBuffer(buf, GetTempPathA(kFolderBuffer, buf), kFolderBuffer), add);
}

namespace {

// OriginExe's switch value and OriginDir's folder, each found once.
Lasting<String> g_originExe;
Lasting<String> g_originDir;
bool g_originDirFound = false;

}  // namespace

String OriginExe() {
  String& cached = g_originExe.value;
  if (cached.empty()) cached = ReplaceAll(SwitchValue("/OriginExe="), "*", " ");
  return cached.empty() ? ExePath() : cached;
}

String OriginDir() {
  String& cached = g_originDir.value;
  if (!g_originDirFound) {
    cached = ParentOf(OriginExe(), IsLeadByte);
    g_originDirFound = true;
  }
  return cached.empty() ? ExeDir(false) : cached;
}

namespace {

// A shell folder from SHGetSpecialFolderPathA (special) or SHGetFolderPathA, each looked up once
// in its library; empty text when the function is unavailable or fails.
String ShellFolder(bool special, int id) {
  using SpecialFn = BOOL(WINAPI*)(HWND, LPSTR, int, BOOL);
  using FolderFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
  char buf[kShellBuffer] = {};
  if (special) {
    static const SpecialFn fn = GetProcFromLibraryAs<SpecialFn>("shell32.dll", "SHGetSpecialFolderPathA");
    if (fn == nullptr || !fn(nullptr, buf, id, FALSE)) return String();
  } else {
    static const FolderFn fn = GetProcFromLibraryAs<FolderFn>("SHFolder.dll", "SHGetFolderPathA");
    if (fn == nullptr || fn(nullptr, id, nullptr, 0, buf) != 0) return String();
  }
  buf[kShellBuffer - 1] = '\0';
  return buf;
}

}  // namespace

String SpecialFolderPath(int id) { return ShellFolder(true, id); }

String FolderPath(int id) { return ShellFolder(false, id); }

FolderResolver SystemFolders() { return FolderResolver(g_system); }

}  // namespace vx
