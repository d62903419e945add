// The switches the launcher puts on the command lines of the programs it starts, as a program
// that splits its command line the C runtime's way sees them: every switch one argument with
// the value expected, whatever blanks the paths hold and whatever quotes the user's tail has.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <algorithm>

#include "package_support.h"
#include "test_support.h"

using namespace vxtest;

namespace {

enum class Run {
  kSetup,      // the launcher extracts the package and starts its setup
  kSpanRelay,  // the launcher of a spanned package relays to its copy, which starts the setup
  kAgentCopy,  // the agent launcher starts its "X_" copy
};

const char kAgentName[] = "MyAppUpdate.exe";
const char kAgentCopyClass[] = ".AutoUpdate.X_MyAppUpdate";

// The arguments after the program name, split by the system (CommandLineToArgvW).
std::vector<std::string> SplitArguments(const std::string& commandLine) {
  std::vector<std::string> args;
  const int wlen = MultiByteToWideChar(CP_ACP, 0, commandLine.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(wlen), L'\0');
  MultiByteToWideChar(CP_ACP, 0, commandLine.c_str(), -1, &wide[0], wlen);
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(wide.c_str(), &argc);
  if (argv == nullptr) return args;
  for (int i = 1; i < argc; ++i) {
    const int n = WideCharToMultiByte(CP_ACP, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
    std::string a(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, argv[i], -1, &a[0], n, nullptr, nullptr);
    a.resize(static_cast<size_t>(n > 0 ? n - 1 : 0));
    args.push_back(a);
  }
  LocalFree(argv);
  return args;
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }
std::string NameOf(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

bool DirExists(const std::string& p) {
  DWORD a = GetFileAttributesA(p.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string Replace(std::string text, const std::string& find, const std::string& repl) {
  for (size_t p = text.find(find); p != std::string::npos; p = text.find(find, p + repl.size()))
    text.replace(p, find.size(), repl);
  return text;
}

// "/TH_ID=_" + decimal digits becomes "/TH_ID=<tag>": the thread id is the launcher's own.
std::vector<std::string> WithTagPlaceholder(std::vector<std::string> args) {
  for (std::string& a : args) {
    if (a.compare(0, 8, "/TH_ID=_") != 0 || a.size() == 8) continue;
    if (std::all_of(a.begin() + 8, a.end(), [](char c) { return c >= '0' && c <= '9'; })) a = "/TH_ID=<tag>";
  }
  return args;
}

void CloseAgentCopy() {
  for (int i = 0; i < 30; ++i) {
    HWND w = FindWindowA(kAgentCopyClass, nullptr);
    if (w == nullptr) return;
    PostMessageA(w, WM_CLOSE, 0, 0);
    PumpFor(200);
  }
}

// Incompressible bytes, so that a package needs several pieces.
std::string Noise(size_t n) {
  std::string noise(n, '\0');
  uint32_t x = 12345;
  for (auto& c : noise) {
    x = x * 1103515245u + 12345u;
    c = static_cast<char>(x >> 24);
  }
  return noise;
}

struct ArgsCase {
  const char* name;
  Run run;
  const char* folder;      // the launcher's folder, below the temp folder
  const char* launcher;    // the launcher's file name
  const char* tempFolder;  // the launcher's temp folder (its work folder goes there); "": the system's
  const char* tail;        // the launcher's arguments
  // Every argument the started program sees, in order. <log> is the fake setup's log,
  // <launcher> the launcher's path, <origin> the starting launcher's path with blanks as "*".
  std::vector<std::string> expected;
};

const ArgsCase kArgsCases[] = {
    {"plain", Run::kSetup, "args_plain", "Setup.exe", "", "/x",
     {"/x", "/log=<log>", "/complete", "/TH_ID=<tag>", "/OriginExe=<origin>"}},
    {"blank paths and a quoted value", Run::kSetup, "args blank dir", "My Setup.exe", "args temp dir",
     "/x /dir=\"C:\\a b\"",
     {"/x", "/dir=C:\\a b", "/log=<log>", "/complete", "/TH_ID=<tag>", "/OriginExe=<origin>"}},
    {"hidden", Run::kSetup, "args hidden dir", "My Setup.exe", "args hidden temp", "/hide /dir=\"C:\\a b\"",
     {"/hide", "/dir=C:\\a b", "/log=<log>", "/complete", "/TH_ID=<tag>", "/OriginExe=<origin>"}},
    {"span relay", Run::kSpanRelay, "args span dir", "My Setup.exe", "args span temp", "/dir=\"C:\\a b\"",
     {"/dir=C:\\a b", "/SpanCdLvl=2", "/SpanDiskFName1=<launcher>.001", "/log=<log>", "/complete",
      "/TH_ID=<tag>", "/OriginExe=<origin>"}},
    {"agent copy", Run::kAgentCopy, "args agent dir", kAgentName, "", "/TRANSIENT=|1|0| /DELAY=5",
     {"/TRANSIENTx=|1|0|", "/SleepX=5"}},
};

class HandshakeArgs : public ::testing::TestWithParam<ArgsCase> {};

TEST_P(HandshakeArgs, EverySwitchIsOneArgument) {
  const ArgsCase& c = GetParam();
  const std::string dir = FreshTempDir(c.folder);
  const std::string temp = *c.tempFolder ? FreshTempDir(c.tempFolder) : std::string();
  const std::string log = dir + "setup.log";
  const std::string launcher = dir + c.launcher;

  auto cfg = LauncherPackageConfig(launcher);
  if (c.run == Run::kAgentCopy) {
    CloseAgentCopy();
    cfg.agent = true;
    cfg.agentExe = kAgentName;
    cfg.agentToken = "SECRET";
    cfg.infoFile = "myapp.inf";
  } else {
    const std::string payload = FreshTempDir("args_payload");
    ASSERT_TRUE(CopyFileTo(TestBinDir() + "fakesetup.exe", payload + "fakesetup.exe"));
    if (c.run == Run::kSpanRelay) {
      ASSERT_TRUE(WriteWholeFile(payload + "big.bin", Noise(300000)));
      cfg.spanSize = 400000;
    }
    cfg.filesFolder = payload;
    cfg.setupName = "fakesetup.exe";
    cfg.setupParams = "/log=\"" + log + "\" /complete";
  }
  ASSERT_TRUE(BuildTestPackage(cfg));

  TraceViewer viewer;
  std::vector<std::string> args;
  std::string origin = launcher;
  {
    TempFolderOverride tempOverride(temp);
    ProcessResult r = RunAndWait("\"" + launcher + "\" " + c.tail, 60000);
    ASSERT_TRUE(r.finished);
    if (c.run == Run::kAgentCopy) {
      // The copy's own start line carries its command line.
      const std::string copy = dir + "X_" + kAgentName;
      const std::string mark = " ==== STUB START ====> \"" + copy + "\"";
      std::string line;
      ASSERT_TRUE(PumpUntil(
          [&] {
            for (const std::string& l : viewer.Lines())
              if (l.find(mark) != std::string::npos) line = l;
            return !line.empty();
          },
          20000));
      const size_t from = line.find("====> ") + 6;
      args = SplitArguments(line.substr(from, line.rfind('<') - from));
      CloseAgentCopy();
    } else {
      // A relay copy runs on after the first launcher has ended.
      ASSERT_TRUE(PumpUntil([&] { return Contains(LogLines(log), "setup=end"); }, 60000));
      const std::vector<std::string> lines = LogLines(log);
      for (const std::string& l : lines)
        if (l.compare(0, 4, "arg=") == 0) args.push_back(l.substr(4));
      const std::string work = FolderOf(LogValue(lines, "exe"));
      if (!temp.empty()) {
        EXPECT_EQ(work.compare(0, temp.size(), temp), 0) << work;
      }
      if (c.run == Run::kSpanRelay) origin = work + "\\Y_" + NameOf(launcher);
      // The setup found its handshake: the launcher learns that it completed.
      EXPECT_TRUE(Contains(lines, "atom=removed"));
      if (std::string(c.tail).find("/hide") != std::string::npos) {
        EXPECT_TRUE(Contains(lines, "show=0"));
      }
      // The launcher (or the relay copy, once it has ended) removes the work folder.
      EXPECT_TRUE(PumpUntil([&] { return !DirExists(work); }, 30000)) << work;
    }
  }

  std::vector<std::string> expected;
  std::string starred = origin;
  std::replace(starred.begin(), starred.end(), ' ', '*');
  for (const std::string& e : c.expected)
    expected.push_back(Replace(Replace(Replace(e, "<log>", log), "<launcher>", launcher), "<origin>", starred));
  EXPECT_EQ(WithTagPlaceholder(args), expected);
}

INSTANTIATE_TEST_SUITE_P(Runs, HandshakeArgs, ::testing::ValuesIn(kArgsCases),
                         [](const ::testing::TestParamInfo<ArgsCase>& info) {
                           std::string n;
                           for (const char* p = info.param.name; *p; ++p)
                             n += (*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z') ? *p : '_';
                           return n;
                         });

}  // namespace
