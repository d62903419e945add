#include "system/macros.h"

#include <cmath>
#include <cstring>

#include "system/lasting.h"

namespace vx {
namespace {

struct InstallFolders {
  String target, shared, auxiliary;
};
Lasting<InstallFolders> g_lasting;
InstallFolders& g_install = g_lasting.value;

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Whether the suffix follows a macro whose first occurrence ends just before position after: not
// when it ends the text, stands before a space, or stands before the separator of a list (a text
// whose first and last characters are equal) that is neither "<" nor a letter.
bool KeepsSuffix(const String& text, size_t after) {
  if (after >= text.size()) return false;
  const char next = text[after];
  if (next == ' ') return false;
  return !(text.front() == text.back() && next == text.front() && next != '<' && !IsAsciiLetter(next));
}

// Fills a date pattern written with one letter per part: D day, M month, N month name, Y year
// in four digits, y year in two, h hours, n minutes, s seconds (two digits each); "/" and ":"
// become the locale's separators; anything else stays.
String FillDatePattern(MacroEnvironment& env, const char* pattern, const CivilTime& t) {
  String out;
  for (; *pattern != '\0'; ++pattern) {
    int n;
    int width = 2;
    switch (*pattern) {
      case 'D': n = t.day; break;
      case 'M': n = t.month; break;
      case 'y': n = t.year % 100; break;
      case 'h': n = t.hour; break;
      case 'n': n = t.minute; break;
      case 's': n = t.second; break;
      case 'Y': n = t.year; width = 4; break;
      case 'N': out += env.MonthName(t.month); continue;
      case '/': out += env.DateSeparator(); continue;
      case ':': out += env.TimeSeparator(); continue;
      default: out += *pattern; continue;
    }
    AppendZeroPad(out, n, width);
  }
  return out;
}

// Step 2: the first "<Date=" that has a ">" somewhere after it.
void ExpandDate(MacroEnvironment& env, String& text) {
  const int p = PosCI("<Date=", text);
  if (p == 0) return;
  const size_t start = static_cast<size_t>(p) - 1;
  if (text.find('>', start + 6) == String::npos) return;
  if (start + 6 >= text.size()) return;
  const String date = MacroDateText(env, text[start + 6]);
  if (date.empty()) return;  // unknown code: left as it was
  // "<Date=", the code and the character after it give way to the date.
  text.replace(start, 8, date);
}

bool HasRelativePart(const String& s) {
  return s.find("\\..") != String::npos || s.find("..\\") != String::npos;
}

void ExpandRelative(MacroEnvironment& env, String& text) {
  if (!HasRelativePart(text)) return;
  if (!text.empty() && (text[0] == ',' || text[0] == '|') && ListCount(text) > 0) {
    // Each item with a relative part becomes its full path; the list is rebuilt in one pass, so
    // that a list from the update server costs time in proportion to its length.
    const char sep = text[0];
    String out(1, sep), item;
    for (size_t pos = 0; NextListItem(text, pos, item);) {
      out += HasRelativePart(item) ? env.FullPathName(item) : item;
      out += sep;
    }
    text = out;
    return;
  }
  text = env.FullPathName(text);
}

}  // namespace

String MacroDateText(MacroEnvironment& env, char code) {
  // "#" dd/mmmm/yyyy, then 1..7: dd-mm-yy, mm-dd-yy, yy-mm-dd, dd-mm-yyyy, mm-dd-yyyy, yyyy-mm-dd,
  // yyyy-mm-dd hh:nn:ss.
  static const char* const kPatterns[] = {"D/N/Y", "D-M-y", "M-D-y", "y-M-D", "D-M-Y", "M-D-Y", "Y-M-D", "Y-M-D h:n:s"};
  const CivilTime now = env.Now();
  if (code == '0') {
    const double days = std::fabs(EncodeDateTime(now) - 36526.0);  // days from 1 January 2000
    return IntText(static_cast<int64_t>(days));
  }
  if (code == '#') code = '0';
  if (code >= '0' && code <= '7') return FillDatePattern(env, kPatterns[code - '0'], now);
  return String();
}

namespace {

// The macro table, walked in order: each entry is a kind byte, a source byte and the macro name.
// Kinds: identity and removed names are replaced as they are; the absolute and other folders
// take the suffix rule; drives and disks give the first 3 or 2 characters of their folder and
// never take the suffix; the drop entry removes its name when the absolute folders changed the
// text. The snapshot is taken before the first entry that is not an identity entry.
enum MacroKind : char { kPlain = 'p', kSuffix = 's', kDrive = 'd', kDisk = 'k', kDrop = 'x' };

#define VX_PLAIN "p"
#define VX_SUFFIX "s"
#define VX_DRIVE "d"
#define VX_DISK "k"
#define VX_DROP "x"
static_assert(VX_PLAIN[0] == kPlain && VX_SUFFIX[0] == kSuffix && VX_DRIVE[0] == kDrive && VX_DISK[0] == kDisk &&
                  VX_DROP[0] == kDrop,
              "macro table kinds follow MacroKind");
// Sources: the MacroSource value as one byte; kMacroSourceCount stands for the empty text.
#define VX_EMPTY "\x1d"
#define VX_LOGGED_USER "\x00"
#define VX_OWNER "\x01"
#define VX_ORGANIZATION "\x02"
#define VX_COMPUTER "\x03"
#define VX_DOMAIN "\x04"
#define VX_INSTALL "\x05"
#define VX_SHARED "\x06"
#define VX_AUXILIARY "\x07"
#define VX_WIN "\x08"
#define VX_SYS "\x09"
#define VX_SYS16 "\x0a"
#define VX_ORIGIN "\x0b"
#define VX_PROGRAM_FILES "\x0c"
#define VX_COMMON_FILES "\x0d"
#define VX_START_MENU "\x0e"
#define VX_FONT "\x0f"
#define VX_SRC "\x10"
#define VX_TEMP "\x11"
#define VX_USER "\x12"
#define VX_USER_APP_DATA "\x13"
#define VX_MY_DOCUMENTS "\x14"
#define VX_USER_START_MENU "\x15"
#define VX_USER_DESKTOP "\x16"
#define VX_DOCUMENTS_AND_SETTINGS "\x17"
#define VX_ALL_USERS "\x18"
#define VX_ALL_USERS_APP_DATA "\x19"
#define VX_ALL_USERS_DOCUMENTS "\x1a"
#define VX_ALL_USERS_START_MENU "\x1b"
#define VX_ALL_USERS_DESKTOP "\x1c"
static_assert(VX_EMPTY[0] == kMacroSourceCount && VX_LOGGED_USER[0] == kMacroLoggedUserName &&
                  VX_OWNER[0] == kMacroRegisteredOwner &&
                  VX_ORGANIZATION[0] == kMacroRegisteredOrganization && VX_COMPUTER[0] == kMacroComputerName &&
                  VX_DOMAIN[0] == kMacroCurrentDomainName && VX_INSTALL[0] == kMacroInstallDir &&
                  VX_SHARED[0] == kMacroSharedDir && VX_AUXILIARY[0] == kMacroAuxiliaryDir &&
                  VX_WIN[0] == kMacroWinDir && VX_SYS[0] == kMacroSysDir && VX_SYS16[0] == kMacroSystem16Dir &&
                  VX_ORIGIN[0] == kMacroOriginDir && VX_PROGRAM_FILES[0] == kMacroProgramFilesDir &&
                  VX_COMMON_FILES[0] == kMacroCommonFilesDir && VX_START_MENU[0] == kMacroStartMenuDir &&
                  VX_FONT[0] == kMacroFontDir && VX_SRC[0] == kMacroSrcDir && VX_TEMP[0] == kMacroTempDir &&
                  VX_USER[0] == kMacroUserDir && VX_USER_APP_DATA[0] == kMacroUserAppDataDir &&
                  VX_MY_DOCUMENTS[0] == kMacroMyDocumentsDir && VX_USER_START_MENU[0] == kMacroUserStartMenuDir &&
                  VX_USER_DESKTOP[0] == kMacroUserDesktopDir &&
                  VX_DOCUMENTS_AND_SETTINGS[0] == kMacroDocumentsAndSettingsDir &&
                  VX_ALL_USERS[0] == kMacroAllUsersDir && VX_ALL_USERS_APP_DATA[0] == kMacroAllUsersAppDataDir &&
                  VX_ALL_USERS_DOCUMENTS[0] == kMacroAllUsersDocumentsDir &&
                  VX_ALL_USERS_START_MENU[0] == kMacroAllUsersStartMenuDir &&
                  VX_ALL_USERS_DESKTOP[0] == kMacroAllUsersDesktopDir,
              "macro table sources follow MacroSource");

const char kMacroTable[] =
    // Identity.
    VX_PLAIN VX_LOGGED_USER "<LoggedUserName>"
    VX_PLAIN VX_OWNER "<UserName>"
    VX_PLAIN VX_ORGANIZATION "<CompanyName>"
    VX_PLAIN VX_COMPUTER "<ComputerName>"
    VX_PLAIN VX_DOMAIN "<CurrentDomainName>"
    VX_PLAIN VX_EMPTY "<EnteredUserName>"
    VX_PLAIN VX_EMPTY "<EnteredCompanyName>"
    VX_PLAIN VX_EMPTY "<EnteredSerialNum>"
    VX_PLAIN VX_EMPTY "<VendorCompanyName>"
    VX_PLAIN VX_EMPTY "<ProjectName>"
    VX_PLAIN VX_EMPTY "<ProgramDescriptiveName>"
    VX_PLAIN VX_EMPTY "<ProgramVersion>"
    // Absolute folders: any of them replaces the install-folder prefix a setting may carry.
    VX_SUFFIX VX_EMPTY "<RunTimeDir_1>"
    VX_SUFFIX VX_EMPTY "<RunTimeDir_2>"
    VX_SUFFIX VX_EMPTY "<RunTimeDir_3>"
    VX_SUFFIX VX_INSTALL "<Application Folder>"
    VX_SUFFIX VX_SHARED "<Common Folder>"
    VX_SUFFIX VX_AUXILIARY "<Auxiliary Folder>"
    VX_SUFFIX VX_WIN "<Windows Directory>"
    VX_SUFFIX VX_SYS "<System Directory>"
    VX_SUFFIX VX_SYS16 "<System16 Directory>"
    VX_DROP VX_EMPTY "<InstallDir>"
    // Installation and system folders.
    VX_PLAIN VX_EMPTY "<AbsoluteDir>"
    VX_SUFFIX VX_INSTALL "<InstallDir>"
    VX_SUFFIX VX_SHARED "<InstallCommonDir>"
    VX_SUFFIX VX_AUXILIARY "<InstallAuxDir>"
    VX_PLAIN VX_EMPTY "<AbsoluteDir>"
    VX_SUFFIX VX_WIN "<WinDir>"
    VX_SUFFIX VX_SYS "<WinSysDir>"
    VX_SUFFIX VX_SYS "<WinSys32Dir>"
    VX_SUFFIX VX_SYS16 "<WinSys16Dir>"
    // Drives ("C:\") and disks ("C:").
    VX_DRIVE VX_INSTALL "<InstallDrive>"
    VX_DRIVE VX_WIN "<WinDrive>"
    VX_DRIVE VX_SYS "<WinSysDrive>"
    VX_DRIVE VX_ORIGIN "<OriginDrive>"
    VX_DISK VX_INSTALL "<InstallDisk>"
    VX_DISK VX_WIN "<WinDisk>"
    VX_DISK VX_SYS "<WinSysDisk>"
    VX_DISK VX_ORIGIN "<OriginDisk>"
    // Other folders.
    VX_SUFFIX VX_PROGRAM_FILES "<ProgramFilesDir>"
    VX_SUFFIX VX_COMMON_FILES "<CommonFilesDir>"
    VX_SUFFIX VX_START_MENU "<StartMenuDir>"
    VX_SUFFIX VX_FONT "<FontDir>"
    VX_SUFFIX VX_SRC "<SrcDir>"
    VX_SUFFIX VX_ORIGIN "<OriginDir>"
    VX_SUFFIX VX_TEMP "<TempDir>"
    VX_SUFFIX VX_SRC "<ServiceDir>"
    VX_SUFFIX VX_USER "<UserDir>"
    VX_SUFFIX VX_USER_APP_DATA "<UserAppDataDir>"
    VX_SUFFIX VX_MY_DOCUMENTS "<MyDocumentsDir>"
    VX_SUFFIX VX_USER_START_MENU "<UserStartMenuDir>"
    VX_SUFFIX VX_USER_DESKTOP "<UserDesktopDir>"
    VX_SUFFIX VX_DOCUMENTS_AND_SETTINGS "<DocumentsAndSettingsDir>"
    VX_SUFFIX VX_ALL_USERS "<AllUsersDir>"
    VX_SUFFIX VX_ALL_USERS_APP_DATA "<AllUsersAppDataDir>"
    VX_SUFFIX VX_ALL_USERS_DOCUMENTS "<AllUsersDocumentsDir>"
    VX_SUFFIX VX_ALL_USERS_START_MENU "<AllUsersStartMenuDir>"
    VX_SUFFIX VX_ALL_USERS_DESKTOP "<AllUsersDesktopDir>";

}  // namespace

String ExpandMacrosWith(MacroEnvironment& env, const String& text, StrView suffix, bool expandRelative) {
  String s = text;
  if (s.find('<') != String::npos) {
    ExpandDate(env, s);
    String values[kMacroSourceCount + 1];  // every source, fetched whether or not its macro occurs;
                                           // the last stays empty
    for (int i = 0; i < kMacroSourceCount; ++i) values[i] = env.Value(static_cast<MacroSource>(i));

    String snapshot;
    bool haveSnapshot = false;
    const char* p = kMacroTable;
    const char* const tableEnd = kMacroTable + sizeof kMacroTable - 1;
    while (p < tableEnd) {
      const char kind = p[0];
      const unsigned char source = static_cast<unsigned char>(p[1]);
      const char* const name = p + 2;
      p = std::strchr(name, '>') + 1;
      const StrView macro(name, static_cast<size_t>(p - name));
      if (kind != kPlain && !haveSnapshot) {
        snapshot = s;
        haveSnapshot = true;
      }
      const int at = PosCI(macro, s);
      if (at == 0) continue;
      if (kind == kDrop && s == snapshot) continue;
      const String& value = values[source];
      size_t n = value.size();
      if (kind == kDrive && n > 3) n = 3;
      if (kind == kDisk && n > 2) n = 2;
      String replacement(value.data(), n);
      if (kind == kSuffix && KeepsSuffix(s, static_cast<size_t>(at) - 1 + macro.size()))
        replacement.append(suffix.data(), suffix.size());
      s = ReplaceAllCI(s, macro, replacement);
    }

    if (s != snapshot) s = CollapseBackslashes(s, false, env.LeadBytes());
  }
  if (expandRelative) ExpandRelative(env, s);
  return s;
}

void SetInstallFolders(const String& target, const String& shared, const String& auxiliary) {
  g_install.target = target;
  g_install.shared = shared;
  g_install.auxiliary = auxiliary;
}

const String& InstallFolder() { return g_install.target; }
const String& SharedFolder() { return g_install.shared; }
const String& AuxiliaryFolder() { return g_install.auxiliary; }

}  // namespace vx
