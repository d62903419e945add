#include "launcher/main_body.h"

#include <windows.h>

#include "agent/agent_folder.h"
#include "agent/agent_win.h"
#include "agent/settings.h"
#include "launcher/modes.h"
#include "launcher/setup_launch.h"
#include "launcher/stub_window.h"
#include "package/own_package.h"
#include "package/unpack_files_win.h"
#include "system/debug.h"
#include "system/files.h"
#include "system/folders.h"
#include "system/platform_win.h"
#include "system/winutil_win.h"
#include "text/switches.h"
#include "text/utils.h"

namespace vx {
namespace {

String g_windowClassName;
String g_workFolder;
// What the run mode is decided from, taken once the own package is open: none of it changes
// while the process runs.
ModeInputs g_modeInputs;

ModeInputs TakeModeInputs() {
  ModeInputs in;
  in.agentFlag = AgentFlag();
  in.spanFlag = OwnPackage().SpanFlag();
  in.ownPath = ModulePath();
  in.agentExeName = OwnPackage().AgentExeName();
  in.spanCdLvl = SwitchInt("/SpanCdLvl=", 1);
  return in;
}

bool TopLevelWindowExists(const String& className) {
  return FindWindowA(className.c_str(), nullptr) != nullptr;
}

void DecideMode() {
  g_windowClassName = WindowClassNameFor(AgentFlag(), ModulePath());
  const bool agentWindowExisted = AgentWindowExists();
  if (!TopLevelWindowExists(g_windowClassName)) {
    switch (DecideRunMode(g_modeInputs)) {
      case RunMode::AgentLauncher:
        CreateAndRun_X_Exe();
        break;
      case RunMode::AgentCopy:
        if (SwitchPresent("/TRANSIENTx=")) ParseTransientFlags(SwitchValue("/TRANSIENTx="));
        // The agent's folder is made ready (a per-user one seeded from the installation) before
        // any setting is read; until then the agent copy only answers its remote-control messages.
        PrepareAgentFolder();
        InitAgent();
        RunStubWindow();
        WriteSelfDeleteBatch(false);
        break;
      case RunMode::SpanRelay:
        SpanRelay();
        break;
      case RunMode::Installer:
        RunStubWindow();
        if (IsSpanCopy()) WriteSelfDeleteBatch(true);
        break;
    }
  }
  if (IsAgentLauncher()) ForwardControlSwitches(agentWindowExisted);
}

}  // namespace

const String& WindowClassName() { return g_windowClassName; }

const String& WorkFolder() {
  if (g_workFolder.empty()) {
    uint32_t dos = 0;
    bool have = FileDosDateTime(ModulePath(), dos);
    g_workFolder = WorkFolderName(TempDir(), have, dos, AgentFlag() ? GetCurrentProcessId() : 0);
    if (DirectoryExists(g_workFolder)) DeleteTree(g_workFolder, true);
    ForceDirectories(g_workFolder);
  }
  return g_workFolder;
}

bool IsAgentLauncher() { return IsAgentLauncherMode(g_modeInputs); }
bool IsAgentCopy() { return IsAgentCopyMode(g_modeInputs); }
bool IsSpanRelay() { return IsSpanRelayMode(g_modeInputs); }
bool IsSpanCopy() { return IsSpanCopyMode(g_modeInputs); }

bool AgentWindowExists() {
  return TopLevelWindowExists(AgentCopyClassName(OwnPackage().AgentExeName()));
}

int StubMain() {
  // The running system answers the portable core; the agent's settings are the INI files.
  SetPlatform(&Win32Platform());
  SetSettingsStore(&IniSettingsFiles());
  SecureDllSearch();
  InitCommandLineFromProcess();
  DebugOpen();
  DebugWriteLnPid(" ==== STUB START ====> ", FullCommandLine() + "<");
  OpenOwnPackage(*OpenPieceFile(ModulePath()));
  g_modeInputs = TakeModeInputs();
  DebugWriteLnPid(" ThisIs_AutoUpdateProg=", DbgBool(AgentFlag()));
  DecideMode();
  ReleaseOwnPackage();
  DebugWriteLnPid(" ==== STUB END ====> ", FullCommandLine() + "<");
  DebugWriteLn();
  return 0;
}

}  // namespace vx
