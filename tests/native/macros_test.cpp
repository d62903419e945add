// Macro expansion rules over a fixed set of values, a fixed clock and a fake full-path conversion.
#include <gtest/gtest.h>

#include <vector>

#include "system/macros.h"
#include "work_count.h"

namespace vx {
namespace {

struct FakeEnvironment : MacroEnvironment {
  vx::String values[kMacroSourceCount];
  CivilTime now{2026, 12, 7, 13, 5, 9};
  int fetches[kMacroSourceCount] = {};

  FakeEnvironment() {
    values[kMacroLoggedUserName] = "ann";
    values[kMacroRegisteredOwner] = "Ann Owner";
    values[kMacroRegisteredOrganization] = "Acme";
    values[kMacroComputerName] = "PC1";
    values[kMacroCurrentDomainName] = "DOM";
    values[kMacroInstallDir] = "C:\\Prog";
    values[kMacroSharedDir] = "C:\\Shared";
    values[kMacroAuxiliaryDir] = "D:\\Aux";
    values[kMacroWinDir] = "C:\\WINDOWS";
    values[kMacroSysDir] = "C:\\WINDOWS\\system32";
    values[kMacroSystem16Dir] = "C:\\WINDOWS\\system";
    values[kMacroOriginDir] = "E:\\Origin";
    values[kMacroProgramFilesDir] = "C:\\Program Files";
    values[kMacroSrcDir] = "F:\\Src";
    values[kMacroTempDir] = "C:\\Temp";
    values[kMacroUserDir] = "C:\\Users\\ann";
    values[kMacroAllUsersDesktopDir] = "C:\\Users\\Public\\Desktop";
  }
  vx::String Value(MacroSource source) override {
    ++fetches[source];
    return values[source];
  }
  CivilTime Now() override { return now; }
  vx::String DateSeparator() override { return "."; }
  vx::String TimeSeparator() override { return "_"; }
  vx::String MonthName(int month) override {
    static const char* const names[] = {"January", "February", "March",     "April",   "May",      "June",
                                        "July",    "August",   "September", "October", "November", "December"};
    return month >= 1 && month <= 12 ? names[month - 1] : "";
  }
  // Resolves "." and ".." against the current folder C:\cur.
  vx::String FullPathName(const vx::String& path) override {
    std::string p = path.size() >= 2 && path[1] == ':' ? path : "C:\\cur\\" + path;
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t i = 0; i <= p.size(); ++i) {
      if (i == p.size() || p[i] == '\\') {
        const std::string part = p.substr(start, i - start);
        if (part == "..") {
          if (parts.size() > 1) parts.pop_back();
        } else if (part != "." && !part.empty()) {
          parts.push_back(part);
        }
        start = i + 1;
      }
    }
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i) out += (i ? "\\" : "") + parts[i];
    return parts.size() == 1 ? out + "\\" : out;
  }
  LeadByteTest LeadBytes() override { return nullptr; }
};

struct Case {
  const char* text;
  const char* expected;
};

void RunCases(FakeEnvironment& env, const std::vector<Case>& cases, bool expandRelative = false) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ExpandMacrosWith(env, c.text, "\\", expandRelative), c.expected);
  }
}

TEST(Macros, SuffixRuleAndCollapse) {
  FakeEnvironment env;
  RunCases(env, {
      {"<InstallDir>\\bin\\app.exe", "C:\\Prog\\bin\\app.exe"},  // doubled backslash collapsed
      {"<InstallDir>", "C:\\Prog"},                              // nothing follows: no suffix
      {"<InstallDir>app.exe", "C:\\Prog\\app.exe"},
      {"<installdir>\\a", "C:\\Prog\\a"},                        // any letter case
      {"<InstallDir> /x", "C:\\Prog /x"},                        // a space follows
      {"|<SrcDir>|<TempDir>|", "|F:\\Src|C:\\Temp|"},            // list separators follow
      {",<InstallDir>,<SrcDir>,", ",C:\\Prog,F:\\Src,"},
      {"a<InstallDir>a", "aC:\\Prog\\a"},                        // a letter is no separator
      {"<InstallDir><InstallAuxDir>", "C:\\Prog\\D:\\Aux"},      // "<" is no separator
      {"|<InstallDir>|<InstallDir>x|", "|C:\\Prog|C:\\Progx|"},  // the first occurrence decides
      {"<InstallDir>a;<InstallDir>b", "C:\\Prog\\a;C:\\Prog\\b"},
      {"<InstallCommonDir>\\x", "C:\\Shared\\x"},
      {"<Common Folder>x", "C:\\Shared\\x"},
      {"<WinSys32Dir>\\a.dll", "C:\\WINDOWS\\system32\\a.dll"},
      {"<WinSys16Dir>x", "C:\\WINDOWS\\system\\x"},
      {"<ProgramFilesDir>\\App", "C:\\Program Files\\App"},
      {"<ServiceDir>\\s.exe", "F:\\Src\\s.exe"},
      {"<AllUsersDesktopDir>\\a.lnk", "C:\\Users\\Public\\Desktop\\a.lnk"},
      {"<CommonFilesDir>\\x", "\\\\x"},                          // empty value: suffix only, leading pair kept
      {"<Foo>\\\\x", "<Foo>\\\\x"},                              // unknown name: unchanged, no collapse
  });
}

TEST(Macros, AbsoluteFoldersReplaceTheInstallPrefix) {
  FakeEnvironment env;
  RunCases(env, {
      {"<InstallDir><WinDir>\\notepad.exe", "C:\\Prog\\C:\\WINDOWS\\notepad.exe"},
      {"<InstallDir><Windows Directory>\\notepad.exe", "C:\\WINDOWS\\notepad.exe"},
      {"<InstallDir><System Directory>x", "C:\\WINDOWS\\system32\\x"},
      {"<INSTALLDIR><Auxiliary Folder>\\x", "D:\\Aux\\x"},
      {"<InstallDir><RunTimeDir_2>x", "\\x"},  // an empty absolute slot still counts as a change
      {"<AbsoluteDir>D:\\x", "D:\\x"},
  });
  env.values[kMacroInstallDir].clear();
  RunCases(env, {{"<Application Folder>\\x.exe", "\\\\x.exe"}, {"<InstallDir>\\x.exe", "\\\\x.exe"}});
}

TEST(Macros, DrivesDisksAndIdentity) {
  FakeEnvironment env;
  RunCases(env, {
      {"<InstallDrive>x", "C:\\x"},  // drives and disks never take the suffix
      {"<InstallDisk>\\x", "C:\\x"},
      {"<WinDrive>|<WinSysDisk>|<OriginDrive>|<OriginDisk>", "C:\\|C:|E:\\|E:"},
      {"<UserName>x", "Ann Ownerx"},  // identity values take no suffix
      {"<LoggedUserName>@<ComputerName>.<CurrentDomainName>", "ann@PC1.DOM"},
      {"<CompanyName>", "Acme"},
      {"<ProjectName>x<EnteredSerialNum><ProgramVersion>", "x"},
  });
}

TEST(Macros, DateCodes) {
  FakeEnvironment env;  // 7 December 2026, 13:05:09; date separator ".", time separator "_"
  RunCases(env, {
      {"<Date=#>", "07.December.2026"},
      {"<Date=1>", "07-12-26"},
      {"<Date=2>", "12-07-26"},
      {"<Date=3>", "26-12-07"},
      {"<Date=4>", "07-12-2026"},
      {"<Date=5>", "12-07-2026"},
      {"<date=6>", "2026-12-07"},
      {"<Date=7>", "2026-12-07 13_05_09"},
      {"<Date=0>", "9837"},                         // whole days since 1 January 2000
      {"log_<Date=6>.txt", "log_2026-12-07.txt"},
      {"<Date=6>_<Date=6>", "2026-12-07_<Date=6>"},  // only the first occurrence
      {"<Date=9>", "<Date=9>"},
      {"<Date=6", "<Date=6"},                        // no ">" after it
      {"<Date=6x>", "2026-12-07>"},                  // the code and the next character go
      {"<Date=6>\\\\x", "2026-12-07\\\\x"},          // a date alone does not collapse
  });
  env.now = CivilTime{1999, 12, 31, 12, 0, 0};
  RunCases(env, {{"<Date=0>", "0"}});  // half a day before: absolute, truncated
  env.now = CivilTime{1999, 12, 30, 0, 0, 0};
  RunCases(env, {{"<Date=0>", "2"}});
}

TEST(Macros, RelativePaths) {
  FakeEnvironment env;
  RunCases(env, {
      {"C:\\a\\..\\b", "C:\\b"},                   // no macro needed
      {"<InstallDir>\\..\\x", "C:\\x"},
      {"..\\x", "C:\\x"},
      {"|C:\\a\\..\\b|y|", "|C:\\b|y|"},           // item by item in a list
      {",x,C:\\q\\.\\r\\..\\s,", ",x,C:\\q\\s,"},
      {"C:\\a..b", "C:\\a..b"},                    // neither "\.." nor "..\"
  }, true);
  RunCases(env, {{"C:\\a\\..\\b", "C:\\a\\..\\b"}}, false);
}

// [NewSetup] RunningProcess comes from the update server (up to 10,240 characters) and is expanded
// with relative paths. A list of n relative items, each after a folder macro that doubles its
// backslash, costs work in proportion to n: rebuilding the list item by item cost the cube of it
// (22 s for 4 KiB), and removing each doubled backslash copied the whole text.
TEST(Macros, LongListsFromTheServerCostWorkInProportionToTheirLength) {
  FakeEnvironment env;
  auto list = [](int n) {
    std::string s = "|";
    for (int i = 0; i < n; ++i) s += "<InstallDir>\\a" + std::to_string(i) + "\\..\\app" + std::to_string(i) + ".exe|";
    return s;
  };
  std::string expected = "|";
  for (int i = 0; i < 3; ++i) expected += "C:\\Prog\\app" + std::to_string(i) + ".exe|";
  EXPECT_EQ(ExpandMacrosWith(env, list(3), "\\", true), expected);
  vxtest::ExpectLinearWork([&](int n) { ExpandMacrosWith(env, list(n), "\\", true); }, 150);
}

TEST(Macros, ValuesFetchedOnlyForTextsWithMacros) {
  FakeEnvironment env;
  EXPECT_EQ(ExpandMacrosWith(env, "C:\\plain\\\\text", "\\", false), "C:\\plain\\\\text");
  for (int i = 0; i < kMacroSourceCount; ++i) EXPECT_EQ(env.fetches[i], 0) << i;
  ExpandMacrosWith(env, "<Nothing>", "\\", false);
  for (int i = 0; i < kMacroSourceCount; ++i) EXPECT_EQ(env.fetches[i], 1) << i;  // each once, used or not
}

TEST(Macros, InstallFolders) {
  SetInstallFolders("C:\\T", "C:\\S", "C:\\A");
  EXPECT_EQ(InstallFolder(), "C:\\T");
  EXPECT_EQ(SharedFolder(), "C:\\S");
  EXPECT_EQ(AuxiliaryFolder(), "C:\\A");
  SetInstallFolders("", "", "");
  EXPECT_EQ(InstallFolder(), "");
}

}  // namespace
}  // namespace vx
