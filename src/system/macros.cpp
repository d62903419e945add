#include "system/macros.h"

#include <cmath>
#include <cstring>

namespace vx {
namespace {

String g_installFolder;
String g_sharedFolder;
String g_auxiliaryFolder;

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Replaces every occurrence of macro (any case) by value, followed by the suffix unless the first
// occurrence ends the text, stands before a space, or stands before the separator of a list
// (a text whose first and last characters are equal) that is neither "<" nor a letter.
String ReplaceWithSuffix(const String& text, const char* macro, const String& value,
                         const String& suffix) {
  const int p = PosCI(macro, text);
  if (p == 0) return text;
  const size_t after = static_cast<size_t>(p) - 1 + std::strlen(macro);
  bool keep = true;
  if (after >= text.size()) {
    keep = false;
  } else {
    const char next = text[after];
    if (next == ' ') keep = false;
    if (text.front() == text.back() && next == text.front() && next != '<' && !IsAsciiLetter(next)) keep = false;
  }
  return ReplaceAllCI(text, macro, keep ? value + suffix : value);
}

struct Macro {
  const char* name;
  const String MacroValues::*value;  // null: the macro is removed
};

String ApplyWithSuffix(String text, const Macro* macros, size_t count, const MacroValues& v,
                       const String& suffix) {
  for (size_t i = 0; i < count; ++i) {
    if (macros[i].value == nullptr)
      text = ReplaceAllCI(text, macros[i].name, "");
    else
      text = ReplaceWithSuffix(text, macros[i].name, v.*(macros[i].value), suffix);
  }
  return text;
}

// Fills a date pattern: dd, mm, mmmm, yy, yyyy, hh, nn, ss; "/" and ":" become the locale's
// separators; anything else stays.
String FillDatePattern(MacroEnvironment& env, const String& pattern, const CivilTime& t) {
  String out;
  size_t i = 0;
  auto at = [&](const char* token) { return pattern.compare(i, std::strlen(token), token) == 0; };
  while (i < pattern.size()) {
    if (at("yyyy")) {
      out += ZeroPad(t.year, 4);
      i += 4;
    } else if (at("yy")) {
      out += ZeroPad(t.year % 100, 2);
      i += 2;
    } else if (at("mmmm")) {
      out += env.MonthName(t.month);
      i += 4;
    } else if (at("mm")) {
      out += ZeroPad(t.month, 2);
      i += 2;
    } else if (at("dd")) {
      out += ZeroPad(t.day, 2);
      i += 2;
    } else if (at("hh")) {
      out += ZeroPad(t.hour, 2);
      i += 2;
    } else if (at("nn")) {
      out += ZeroPad(t.minute, 2);
      i += 2;
    } else if (at("ss")) {
      out += ZeroPad(t.second, 2);
      i += 2;
    } else if (pattern[i] == '/') {
      out += env.DateSeparator();
      ++i;
    } else if (pattern[i] == ':') {
      out += env.TimeSeparator();
      ++i;
    } else {
      out += pattern[i++];
    }
  }
  return out;
}

// Step 2: the first "<Date=" that has a ">" somewhere after it.
String ExpandDate(MacroEnvironment& env, const String& text) {
  const int p = PosCI("<Date=", text);
  if (p == 0) return text;
  const size_t start = static_cast<size_t>(p) - 1;
  if (text.find('>', start + 6) == String::npos) return text;
  if (start + 6 >= text.size()) return text;
  const String date = MacroDateText(env, text[start + 6]);
  if (date.empty()) return text;  // unknown code: left as it was
  // "<Date=", the code and the character after it give way to the date.
  String out = text;
  out.replace(start, 8, date);
  return out;
}

bool HasRelativePart(const String& s) {
  return s.find("\\..") != String::npos || s.find("..\\") != String::npos;
}

String ExpandRelative(MacroEnvironment& env, const String& text) {
  if (!HasRelativePart(text)) return text;
  if (!text.empty() && (text[0] == ',' || text[0] == '|') && ListCount(text) > 0) {
    String list = text;
    const int n = ListCount(list);
    for (int i = 0; i < n; ++i) {
      const String item = ListItem(list, i, "");
      if (HasRelativePart(item)) ListSetItem(list, i, env.FullPathName(item));
    }
    return list;
  }
  return env.FullPathName(text);
}

}  // namespace

String MacroDateText(MacroEnvironment& env, char code) {
  static const char* const kPatterns[] = {
      nullptr,        "dd-mm-yy",   "mm-dd-yy",   "yy-mm-dd",
      "dd-mm-yyyy",   "mm-dd-yyyy", "yyyy-mm-dd", "yyyy-mm-dd hh:nn:ss",
  };
  const CivilTime now = env.Now();
  if (code == '#') return FillDatePattern(env, "dd/mmmm/yyyy", now);
  if (code == '0') {
    const double days = std::fabs(EncodeDateTime(now) - EncodeDateTime(CivilTime{2000, 1, 1, 0, 0, 0}));
    return IntText(static_cast<int64_t>(days));
  }
  if (code >= '1' && code <= '7') return FillDatePattern(env, kPatterns[code - '0'], now);
  return String();
}

String ExpandMacrosWith(MacroEnvironment& env, const String& text, const String& suffix,
                        bool expandRelative) {
  String s = text;
  if (s.find('<') != String::npos) {
    s = ExpandDate(env, s);
    const MacroValues v = env.Values();

    static const Macro kIdentity[] = {
        {"<LoggedUserName>", &MacroValues::loggedUserName},
        {"<UserName>", &MacroValues::registeredOwner},
        {"<CompanyName>", &MacroValues::registeredOrganization},
        {"<ComputerName>", &MacroValues::computerName},
        {"<CurrentDomainName>", &MacroValues::currentDomainName},
        {"<EnteredUserName>", nullptr},
        {"<EnteredCompanyName>", nullptr},
        {"<EnteredSerialNum>", nullptr},
        {"<VendorCompanyName>", nullptr},
        {"<ProjectName>", nullptr},
        {"<ProgramDescriptiveName>", nullptr},
        {"<ProgramVersion>", nullptr},
    };
    for (const Macro& m : kIdentity) s = ReplaceAllCI(s, m.name, m.value != nullptr ? v.*(m.value) : "");

    const String snapshot = s;
    static const String kEmpty;
    // Absolute folders: any of them replaces the install-folder prefix a setting may carry.
    s = ReplaceWithSuffix(s, "<RunTimeDir_1>", kEmpty, suffix);
    s = ReplaceWithSuffix(s, "<RunTimeDir_2>", kEmpty, suffix);
    s = ReplaceWithSuffix(s, "<RunTimeDir_3>", kEmpty, suffix);
    static const Macro kAbsolute[] = {
        {"<Application Folder>", &MacroValues::installDir},
        {"<Common Folder>", &MacroValues::sharedDir},
        {"<Auxiliary Folder>", &MacroValues::auxiliaryDir},
        {"<Windows Directory>", &MacroValues::winDir},
        {"<System Directory>", &MacroValues::sysDir},
        {"<System16 Directory>", &MacroValues::system16Dir},
    };
    s = ApplyWithSuffix(s, kAbsolute, sizeof kAbsolute / sizeof kAbsolute[0], v, suffix);
    if (s != snapshot) s = ReplaceAllCI(s, "<InstallDir>", "");

    static const Macro kInstallAndSystem[] = {
        {"<AbsoluteDir>", nullptr},
        {"<InstallDir>", &MacroValues::installDir},
        {"<InstallCommonDir>", &MacroValues::sharedDir},
        {"<InstallAuxDir>", &MacroValues::auxiliaryDir},
        {"<AbsoluteDir>", nullptr},
        {"<WinDir>", &MacroValues::winDir},
        {"<WinSysDir>", &MacroValues::sysDir},
        {"<WinSys32Dir>", &MacroValues::sysDir},
        {"<WinSys16Dir>", &MacroValues::system16Dir},
    };
    s = ApplyWithSuffix(s, kInstallAndSystem, sizeof kInstallAndSystem / sizeof kInstallAndSystem[0], v, suffix);

    // Drives ("C:\") and disks ("C:") never take the suffix.
    static const char* const kDrives[] = {"<InstallDrive>", "<WinDrive>", "<WinSysDrive>", "<OriginDrive>"};
    static const char* const kDisks[] = {"<InstallDisk>", "<WinDisk>", "<WinSysDisk>", "<OriginDisk>"};
    const String* sources[] = {&v.installDir, &v.winDir, &v.sysDir, &v.originDir};
    for (int i = 0; i < 4; ++i) s = ReplaceAllCI(s, kDrives[i], sources[i]->substr(0, 3));
    for (int i = 0; i < 4; ++i) s = ReplaceAllCI(s, kDisks[i], sources[i]->substr(0, 2));

    static const Macro kOther[] = {
        {"<ProgramFilesDir>", &MacroValues::programFilesDir},
        {"<CommonFilesDir>", &MacroValues::commonFilesDir},
        {"<StartMenuDir>", &MacroValues::startMenuDir},
        {"<FontDir>", &MacroValues::fontDir},
        {"<SrcDir>", &MacroValues::srcDir},
        {"<OriginDir>", &MacroValues::originDir},
        {"<TempDir>", &MacroValues::tempDir},
        {"<ServiceDir>", &MacroValues::srcDir},
        {"<UserDir>", &MacroValues::userDir},
        {"<UserAppDataDir>", &MacroValues::userAppDataDir},
        {"<MyDocumentsDir>", &MacroValues::myDocumentsDir},
        {"<UserStartMenuDir>", &MacroValues::userStartMenuDir},
        {"<UserDesktopDir>", &MacroValues::userDesktopDir},
        {"<DocumentsAndSettingsDir>", &MacroValues::documentsAndSettingsDir},
        {"<AllUsersDir>", &MacroValues::allUsersDir},
        {"<AllUsersAppDataDir>", &MacroValues::allUsersAppDataDir},
        {"<AllUsersDocumentsDir>", &MacroValues::allUsersDocumentsDir},
        {"<AllUsersStartMenuDir>", &MacroValues::allUsersStartMenuDir},
        {"<AllUsersDesktopDir>", &MacroValues::allUsersDesktopDir},
    };
    s = ApplyWithSuffix(s, kOther, sizeof kOther / sizeof kOther[0], v, suffix);

    if (s != snapshot) s = CollapseBackslashes(s, false, env.LeadBytes());
  }
  return expandRelative ? ExpandRelative(env, s) : s;
}

void SetInstallFolders(const String& target, const String& shared, const String& auxiliary) {
  g_installFolder = target;
  g_sharedFolder = shared;
  g_auxiliaryFolder = auxiliary;
}

const String& InstallFolder() { return g_installFolder; }
const String& SharedFolder() { return g_sharedFolder; }
const String& AuxiliaryFolder() { return g_auxiliaryFolder; }

}  // namespace vx
