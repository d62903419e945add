// Macro values of the running system: registry identity, folders, locale date parts and the
// platform's full-path conversion.
#include <windows.h>

#include "system/folders.h"
#include "system/macros.h"
#include "system/registry.h"

namespace vx {
namespace {

String LocaleText(LCTYPE type, const char* fallback) {
  char buf[128];
  const int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buf, sizeof buf);
  return n > 1 ? String(buf, static_cast<size_t>(n) - 1) : String(fallback);
}

class Win32MacroEnvironment : public MacroEnvironment {
 public:
  MacroValues Values() override {
    FolderResolver folders = SystemFolders();
    MacroValues v;
    v.loggedUserName = UserName();
    v.registeredOwner = RegisteredOwner();
    v.registeredOrganization = RegisteredOrganization();
    v.computerName = ComputerName();
    v.currentDomainName = CurrentDomainName();
    v.installDir = InstallFolder();
    v.sharedDir = SharedFolder();
    v.auxiliaryDir = AuxiliaryFolder();
    v.winDir = folders.WinDir(false);
    v.sysDir = folders.SysDir(false);
    v.system16Dir = folders.System16Dir();
    v.originDir = OriginDir();
    v.programFilesDir = folders.ProgramFilesDir();
    v.commonFilesDir = folders.CommonFilesDir();
    v.startMenuDir = folders.StartMenuDir();
    v.fontDir = folders.FontDir();
    v.srcDir = ExeDir(false);
    v.tempDir = TempDir(false);
    v.userDir = folders.UserDir(false);
    v.userAppDataDir = folders.UserAppDataDir(false);
    v.myDocumentsDir = folders.MyDocumentsDir(false);
    v.userStartMenuDir = folders.UserStartMenuDir(false);
    v.userDesktopDir = folders.UserDesktopDir(false);
    v.documentsAndSettingsDir = folders.DocumentsAndSettingsDir(false);
    v.allUsersDir = folders.AllUsersDir(false);
    v.allUsersAppDataDir = folders.AllUsersAppDataDir(false);
    v.allUsersDocumentsDir = folders.AllUsersDocumentsDir(false);
    v.allUsersStartMenuDir = folders.AllUsersStartMenuDir(false);
    v.allUsersDesktopDir = folders.AllUsersDesktopDir(false);
    return v;
  }

  CivilTime Now() override {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return CivilTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
  }

  String DateSeparator() override { return LocaleText(LOCALE_SDATE, "/"); }
  String TimeSeparator() override { return LocaleText(LOCALE_STIME, ":"); }

  String MonthName(int month) override {
    if (month < 1 || month > 12) return String();
    return LocaleText(static_cast<LCTYPE>(LOCALE_SMONTHNAME1 + (month - 1)), "");
  }

  String FullPathName(const String& path) override {
    String buf(MAX_PATH + 1, '\0');
    char* filePart = nullptr;
    DWORD n = GetFullPathNameA(path.c_str(), static_cast<DWORD>(buf.size()), &buf[0], &filePart);
    if (n >= buf.size()) {  // longer than MAX_PATH: n is the size needed
      buf.assign(n + 1, '\0');
      n = GetFullPathNameA(path.c_str(), static_cast<DWORD>(buf.size()), &buf[0], &filePart);
    }
    return n > 0 && n < buf.size() ? buf.substr(0, n) : path;
  }

  LeadByteTest LeadBytes() override { return SystemLeadBytes(); }
};

}  // namespace

String ExpandMacros(const String& text, const String& suffix, bool expandRelative) {
  Win32MacroEnvironment env;
  return ExpandMacrosWith(env, text, suffix, expandRelative);
}

}  // namespace vx
