// The agent's folder on the running system: the writability test, the user's local application
// data folder and the seeding of the per-user original-settings file.
#include <windows.h>

#include "agent/agent_folder.h"
#include "package/own_package.h"
#include "system/files.h"
#include "system/folders.h"
#include "system/registry.h"
#include "system/system_calls_win.h"
#include "text/utils.h"

namespace vx {
namespace {

constexpr int kLocalAppData = 0x1C;  // CSIDL_LOCAL_APPDATA: the user's data that does not roam

// True when a new file can be made in the folder and its file fileName (when named and present)
// can be opened for writing. With the launcher's manifest Windows does not virtualize these writes,
// so a folder under Program Files gives its true answer to a standard user.
bool FolderWritable(const String& folder, const String& fileName) {
  String probe = folder;
  probe += "~vx";
  probe += IntText(GetCurrentProcessId());
  probe += ".tmp";
  HANDLE h = SysCreateFile(probe.c_str(), GENERIC_WRITE, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  if (fileName.empty()) return true;
  const String existingFile = folder + fileName;
  if (!FileExists(existingFile)) return true;
  h = SysCreateFile(existingFile.c_str(), GENERIC_WRITE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

String LocalAppDataFolder() {
  String dir = FolderPath(kLocalAppData);
  if (dir.empty()) dir = SpecialFolderPath(kLocalAppData);
  return dir;
}

String InstallFolder() { return SetTrailingBackslash(OriginDir(), true); }

// The last-write time as one 64-bit number; 0 when the file cannot be read.
uint64_t LastWriteTime(const String& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

}  // namespace

const String& AgentFolder() {
  static String folder;
  if (folder.empty()) {
    if (!AgentFlag()) {
      folder = ExeDir();
    } else {
      const String install = InstallFolder();
      const bool writable = FolderWritable(install, OwnPackage().OriginalFileName());
      folder = AgentFolderFor(install, writable, writable ? String() : LocalAppDataFolder(),
                              OwnPackage().AgentExeName());
    }
  }
  return folder;
}

bool PrepareAgentFolder() {
  const String& folder = AgentFolder();
  const String install = InstallFolder();
  if (SameTextTrim(folder, install)) return true;
  if (!DirectoryExists(folder) && !ForceDirectories(folder)) return false;
  const String name = OwnPackage().OriginalFileName();
  if (name.empty()) return true;
  const String installed = install + name;
  const String copy = folder + name;
  const uint64_t installedTime = LastWriteTime(installed);
  const int64_t seededFrom = IniReadInt(copy, kSeedSection, kSeedKey, 0);
  if (ShouldSeedOriginal(FileExists(installed), FileExists(copy), installedTime, static_cast<uint64_t>(seededFrom))) {
    if (!CopyFileA(installed.c_str(), copy.c_str(), FALSE)) return false;
    SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_NORMAL);  // a read-only installed file stays writable here
    IniWriteInt(copy, kSeedSection, kSeedKey, static_cast<int64_t>(installedTime));
  }
  return true;
}

}  // namespace vx
