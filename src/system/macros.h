// Expansion of folder, user and date macros such as "<InstallDir>" in setting texts.
// The engine is portable and takes its values from a MacroEnvironment; the Win32 environment
// and ExpandMacros live in macros_win.cpp.
#pragma once
#include "text/paths.h"
#include "text/str.h"
#include "text/utils.h"

namespace vx {

// Where a macro's value comes from. The environment resolves each source; every source is
// fetched once per expansion of a text holding "<", in this order.
enum MacroSource : unsigned char {
  // Identity (inserted without the suffix rule).
  kMacroLoggedUserName,
  kMacroRegisteredOwner,
  kMacroRegisteredOrganization,
  kMacroComputerName,
  kMacroCurrentDomainName,
  // Install folders (SetInstallFolders).
  kMacroInstallDir,
  kMacroSharedDir,
  kMacroAuxiliaryDir,
  // System folders, without trailing backslash.
  kMacroWinDir,
  kMacroSysDir,
  kMacroSystem16Dir,
  kMacroOriginDir,
  // Other folders, without trailing backslash unless the source keeps one; from kMacroUserDir on
  // in the order of SpecialFolder (folder_resolver.h).
  kMacroProgramFilesDir,
  kMacroCommonFilesDir,
  kMacroStartMenuDir,
  kMacroFontDir,
  kMacroSrcDir,
  kMacroTempDir,
  kMacroUserDir,
  kMacroUserAppDataDir,
  kMacroMyDocumentsDir,
  kMacroUserStartMenuDir,
  kMacroUserDesktopDir,
  kMacroDocumentsAndSettingsDir,
  kMacroAllUsersDir,
  kMacroAllUsersAppDataDir,
  kMacroAllUsersDocumentsDir,
  kMacroAllUsersStartMenuDir,
  kMacroAllUsersDesktopDir,
  kMacroSourceCount
};

class MacroEnvironment {
 public:
  virtual ~MacroEnvironment() = default;
  virtual String Value(MacroSource source) = 0;
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
String ExpandMacrosWith(MacroEnvironment& env, const String& text, StrView suffix, bool expandRelative);

// The date text of a "<Date=c>" code ('#' or '0'..'7'); empty for any other code.
String MacroDateText(MacroEnvironment& env, char code);

// Process-wide install folders, empty until set.
void SetInstallFolders(const String& target, const String& shared, const String& auxiliary);
const String& InstallFolder();
const String& SharedFolder();
const String& AuxiliaryFolder();

// Win32: ExpandMacrosWith over the running system.
String ExpandMacros(const String& text, StrView suffix, bool expandRelative);

}  // namespace vx
