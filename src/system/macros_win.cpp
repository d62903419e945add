// Macro values of the running system: registry identity, folders, locale date parts and the
// platform's full-path conversion.
#include <windows.h>

#include "system/folders.h"
#include "system/macros.h"
#include "system/registry.h"

namespace vx {
namespace {

static_assert(kMacroUserAppDataDir - kMacroUserDir == kSpecialUserAppDataDir &&
                  kMacroMyDocumentsDir - kMacroUserDir == kSpecialMyDocumentsDir &&
                  kMacroUserStartMenuDir - kMacroUserDir == kSpecialUserStartMenuDir &&
                  kMacroUserDesktopDir - kMacroUserDir == kSpecialUserDesktopDir &&
                  kMacroDocumentsAndSettingsDir - kMacroUserDir == kSpecialDocumentsAndSettingsDir &&
                  kMacroAllUsersDir - kMacroUserDir == kSpecialAllUsersDir &&
                  kMacroAllUsersAppDataDir - kMacroUserDir == kSpecialAllUsersAppDataDir &&
                  kMacroAllUsersDocumentsDir - kMacroUserDir == kSpecialAllUsersDocumentsDir &&
                  kMacroAllUsersStartMenuDir - kMacroUserDir == kSpecialAllUsersStartMenuDir &&
                  kMacroAllUsersDesktopDir - kMacroUserDir == kSpecialAllUsersDesktopDir &&
                  kMacroSourceCount - kMacroUserDir == kSpecialAllUsersDesktopDir + 1,
              "the special-folder macro sources follow SpecialFolder");

String LocaleText(LCTYPE type, const char* fallback) {
  char buf[128];
  const int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buf, sizeof buf);
  return n > 1 ? String(buf, static_cast<size_t>(n) - 1) : String(fallback);
}

class Win32MacroEnvironment : public MacroEnvironment {
 public:
  String Value(MacroSource source) override {
    switch (source) {
      case kMacroLoggedUserName: return UserName();
      case kMacroRegisteredOwner: return RegisteredOwner();
      case kMacroRegisteredOrganization: return RegisteredOrganization();
      case kMacroComputerName: return ComputerName();
      case kMacroCurrentDomainName: return CurrentDomainName();
      case kMacroInstallDir: return InstallFolder();
      case kMacroSharedDir: return SharedFolder();
      case kMacroAuxiliaryDir: return AuxiliaryFolder();
      case kMacroWinDir: return folders_.WinDir(false);
      case kMacroSysDir: return folders_.SysDir(false);
      case kMacroSystem16Dir: return folders_.System16Dir();
      case kMacroOriginDir: return OriginDir();
      case kMacroProgramFilesDir: return folders_.ProgramFilesDir();
      case kMacroCommonFilesDir: return folders_.CommonFilesDir();
      case kMacroStartMenuDir: return folders_.StartMenuDir();
      case kMacroFontDir: return folders_.FontDir();
      case kMacroSrcDir: return ExeDir(false);
      case kMacroTempDir: return TempDir(false);
      default: break;
    }
    // The special folders follow in the order of SpecialFolder.
    return folders_.SpecialDir(static_cast<SpecialFolder>(source - kMacroUserDir), false);
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

 private:
  FolderResolver folders_ = SystemFolders();
};

}  // namespace

String ExpandMacros(const String& text, StrView suffix, bool expandRelative) {
  Win32MacroEnvironment env;
  return ExpandMacrosWith(env, text, suffix, expandRelative);
}

}  // namespace vx
