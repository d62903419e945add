// The folder rules bound to the running system: Win32 folder calls, the shell's folder functions
// looked up at run time, the registry and the code page's lead bytes.
#include <windows.h>

#include "env/files.h"
#include "env/folder_resolver.h"
#include "env/folders.h"
#include "env/registry.h"
#include "env/utils.h"
#include "env/winutil.h"

namespace vx {
namespace {

constexpr UINT kFolderBuffer = 256;
constexpr size_t kShellBuffer = 1025;

bool IsLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != 0; }

std::string FromBuffer(const char* buf, UINT n, UINT size) { return n > 0 && n < size ? std::string(buf, n) : std::string(); }

class Win32Folders : public FolderSystem {
 public:
  LeadByteTest LeadBytes() override { return IsLeadByte; }
  bool FolderExists(const std::string& path) override { return DirectoryExists(path); }
  std::string WindowsDirectory() override {
    char buf[kFolderBuffer];
    return FromBuffer(buf, GetWindowsDirectoryA(buf, kFolderBuffer), kFolderBuffer);
  }
  std::string SystemDirectory() override {
    char buf[kFolderBuffer];
    return FromBuffer(buf, GetSystemDirectoryA(buf, kFolderBuffer), kFolderBuffer);
  }
  std::string FolderPath(int id) override { return vx::FolderPath(id); }
  std::string SpecialFolderPath(int id) override { return vx::SpecialFolderPath(id); }
  std::string RegistryText(const std::string& keyPath, const std::string& valueName) override {
    return RegReadStr(keyPath, valueName, "");
  }
  std::string RegisteredOwner() override { return vx::RegisteredOwner(); }
};

FolderResolver& Resolver() {
  static Win32Folders system;
  static FolderResolver resolver(system);
  return resolver;
}

}  // namespace

LeadByteTest SystemLeadBytes() { return IsLeadByte; }

std::string SetTrailingBackslash(const std::string& path, bool add) {
  return SetTrailingBackslash(path, add, IsLeadByte);
}

std::string RemoveTrailingBackslash(const std::string& path) { return RemoveTrailingBackslash(path, IsLeadByte); }

std::string CollapseBackslashes(const std::string& path, bool strip) {
  return CollapseBackslashes(path, strip, IsLeadByte);
}

std::string ExePath() {
  char buf[MAX_PATH + 1];
  const DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
  return FromBuffer(buf, n, sizeof buf);
}

std::string ExeDir(bool add) { return SetTrailingBackslash(FolderOf(ExePath(), IsLeadByte), add); }

std::string WinDir(bool add) { return Resolver().WinDir(add); }

std::string SysDir(bool add) { return Resolver().SysDir(add); }

std::string TempDir(bool add) {
  char buf[kFolderBuffer];
  return SetTrailingBackslash(FromBuffer(buf, GetTempPathA(kFolderBuffer, buf), kFolderBuffer), add);
}

std::string System16Dir() { return Resolver().System16Dir(); }
std::string FontDir() { return Resolver().FontDir(); }
std::string ProgramFilesDir() { return Resolver().ProgramFilesDir(); }
std::string CommonFilesDir() { return Resolver().CommonFilesDir(); }
std::string StartMenuDir() { return Resolver().StartMenuDir(); }

std::string OriginExe() {
  static std::string cached;
  if (cached.empty()) cached = ReplaceAll(SwitchValue("/OriginExe="), "*", " ");
  return cached.empty() ? ExePath() : cached;
}

std::string OriginDir() {
  static bool computed = false;
  static std::string cached;
  if (!computed) {
    cached = ParentOf(OriginExe(), IsLeadByte);
    computed = true;
  }
  return cached.empty() ? ExeDir(false) : cached;
}

std::string SpecialFolderPath(int id) {
  using Fn = BOOL(WINAPI*)(HWND, LPSTR, int, BOOL);
  static const Fn fn = GetProcFromLibraryAs<Fn>("shell32.dll", "SHGetSpecialFolderPathA");
  if (fn == nullptr) return std::string();
  char buf[kShellBuffer] = {};
  if (!fn(nullptr, buf, id, FALSE)) return std::string();
  buf[kShellBuffer - 1] = '\0';
  return buf;
}

std::string FolderPath(int id) {
  using Fn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
  static const Fn fn = GetProcFromLibraryAs<Fn>("SHFolder.dll", "SHGetFolderPathA");
  if (fn == nullptr) return std::string();
  char buf[kShellBuffer] = {};
  if (fn(nullptr, id, nullptr, 0, buf) != 0) return std::string();
  buf[kShellBuffer - 1] = '\0';
  return buf;
}

bool DirExists(const std::string& path) { return Resolver().DirExists(path); }

std::string ProfileFallbackDir(bool add) { return Resolver().ProfileFallbackDir(add); }
std::string UserDir(bool add) { return Resolver().UserDir(add); }
std::string DocumentsAndSettingsDir(bool add) { return Resolver().DocumentsAndSettingsDir(add); }
std::string AllUsersDir(bool add) { return Resolver().AllUsersDir(add); }
std::string UserAppDataDir(bool add) { return Resolver().UserAppDataDir(add); }
std::string AllUsersAppDataDir(bool add) { return Resolver().AllUsersAppDataDir(add); }
std::string MyDocumentsDir(bool add) { return Resolver().MyDocumentsDir(add); }
std::string AllUsersDocumentsDir(bool add) { return Resolver().AllUsersDocumentsDir(add); }
std::string UserStartMenuDir(bool add) { return Resolver().UserStartMenuDir(add); }
std::string AllUsersStartMenuDir(bool add) { return Resolver().AllUsersStartMenuDir(add); }
std::string UserDesktopDir(bool add) { return Resolver().UserDesktopDir(add); }
std::string AllUsersDesktopDir(bool add) { return Resolver().AllUsersDesktopDir(add); }

}  // namespace vx
