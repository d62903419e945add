// Macro values of the running system: registry identity, folders, locale date parts and the
// platform's full-path conversion.
#include <windows.h>

#include "env/folders.h"
#include "env/macros.h"
#include "env/registry.h"

namespace vx {
namespace {

std::string LocaleText(LCTYPE type, const char* fallback) {
  char buf[128];
  const int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buf, sizeof buf);
  return n > 1 ? std::string(buf, static_cast<size_t>(n) - 1) : std::string(fallback);
}

class Win32MacroEnvironment : public MacroEnvironment {
 public:
  MacroValues Values() override {
    MacroValues v;
    v.loggedUserName = UserName();
    v.registeredOwner = RegisteredOwner();
    v.registeredOrganization = RegisteredOrganization();
    v.computerName = ComputerName();
    v.currentDomainName = CurrentDomainName();
    v.installDir = InstallFolder();
    v.sharedDir = SharedFolder();
    v.auxiliaryDir = AuxiliaryFolder();
    v.winDir = WinDir(false);
    v.sysDir = SysDir(false);
    v.system16Dir = System16Dir();
    v.originDir = OriginDir();
    v.programFilesDir = ProgramFilesDir();
    v.commonFilesDir = CommonFilesDir();
    v.startMenuDir = StartMenuDir();
    v.fontDir = FontDir();
    v.srcDir = ExeDir(false);
    v.tempDir = TempDir(false);
    v.userDir = UserDir(false);
    v.userAppDataDir = UserAppDataDir(false);
    v.myDocumentsDir = MyDocumentsDir(false);
    v.userStartMenuDir = UserStartMenuDir(false);
    v.userDesktopDir = UserDesktopDir(false);
    v.documentsAndSettingsDir = DocumentsAndSettingsDir(false);
    v.allUsersDir = AllUsersDir(false);
    v.allUsersAppDataDir = AllUsersAppDataDir(false);
    v.allUsersDocumentsDir = AllUsersDocumentsDir(false);
    v.allUsersStartMenuDir = AllUsersStartMenuDir(false);
    v.allUsersDesktopDir = AllUsersDesktopDir(false);
    return v;
  }

  CivilTime Now() override {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return CivilTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
  }

  std::string DateSeparator() override { return LocaleText(LOCALE_SDATE, "/"); }
  std::string TimeSeparator() override { return LocaleText(LOCALE_STIME, ":"); }

  std::string MonthName(int month) override {
    if (month < 1 || month > 12) return std::string();
    return LocaleText(static_cast<LCTYPE>(LOCALE_SMONTHNAME1 + (month - 1)), "");
  }

  std::string FullPathName(const std::string& path) override {
    std::string buf(MAX_PATH + 1, '\0');
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

std::string ExpandMacros(const std::string& text, const std::string& suffix, bool expandRelative) {
  Win32MacroEnvironment env;
  return ExpandMacrosWith(env, text, suffix, expandRelative);
}

}  // namespace vx
