// Expansion of folder, user and date macros such as "<InstallDir>" in setting texts.
// The engine is portable and takes its values from a MacroEnvironment; the Win32 environment
// and ExpandMacros live in macros_win.cpp.
#pragma once
#include "text/paths.h"
#include "text/str.h"
#include "text/utils.h"

namespace vx {

// Every value a text may ask for, fetched together once per expansion of a text holding "<".
struct MacroValues {
  // Identity (inserted without the suffix rule).
  String loggedUserName, registeredOwner, registeredOrganization, computerName, currentDomainName;
  // Install folders (SetInstallFolders).
  String installDir, sharedDir, auxiliaryDir;
  // System folders, without trailing backslash.
  String winDir, sysDir, system16Dir, originDir;
  // Other folders, without trailing backslash unless the source keeps one.
  String programFilesDir, commonFilesDir, startMenuDir, fontDir, srcDir, tempDir, userDir,
      userAppDataDir, myDocumentsDir, userStartMenuDir, userDesktopDir, documentsAndSettingsDir,
      allUsersDir, allUsersAppDataDir, allUsersDocumentsDir, allUsersStartMenuDir, allUsersDesktopDir;
};

class MacroEnvironment {
 public:
  virtual ~MacroEnvironment() = default;
  virtual MacroValues Values() = 0;
  virtual CivilTime Now() = 0;                 // local date and time
  virtual String DateSeparator() = 0;     // the locale's, for "/" in date patterns
  virtual String TimeSeparator() = 0;     // the locale's, for ":"
  virtual String MonthName(int month) = 0;  // full name in the user's locale, 1..12
  virtual String FullPathName(const String& path) = 0;  // "." and ".." resolved
  virtual LeadByteTest LeadBytes() = 0;
};

// The engine: date, identity, absolute-folder, folder, drive and disk macros, the suffix rule,
// the final collapse of doubled backslashes, and (with expandRelative) full paths for texts with
// "\.." or "..\".
String ExpandMacrosWith(MacroEnvironment& env, const String& text, const String& suffix,
                        bool expandRelative);

// The date text of a "<Date=c>" code ('#' or '0'..'7'); empty for any other code.
String MacroDateText(MacroEnvironment& env, char code);

// Process-wide install folders, empty until set.
void SetInstallFolders(const String& target, const String& shared, const String& auxiliary);
const String& InstallFolder();
const String& SharedFolder();
const String& AuxiliaryFolder();

// Win32: ExpandMacrosWith over the running system.
String ExpandMacros(const String& text, const String& suffix, bool expandRelative);

}  // namespace vx
