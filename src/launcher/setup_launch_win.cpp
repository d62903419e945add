// The installer job: extract the package, start its setup with the handshake, wait for it and
// tidy up; and the self-copy steps of the span relay and the agent launcher.
#include <windows.h>

#include "agent/settings.h"
#include "env/debug.h"
#include "env/files.h"
#include "env/utils.h"
#include "env/winutil.h"
#include "launcher/commands.h"
#include "launcher/modes.h"
#include "launcher/program_start_win.h"
#include "launcher/setup_launch.h"
#include "launcher/stub.h"
#include "launcher/stub_steps.h"
#include "launcher/stubwin.h"
#include "launcher/tempspace.h"
#include "net/process.h"
#include "package/unpack_win.h"
#include "ui/lang_defaults.h"
#include "ui/msgbox.h"

namespace vx {
namespace {

constexpr UINT_PTR kStubTimerId = 1;

std::string Text(const TGFileInfo& pkg, const char* key) { return pkg.LanguageText(key, LanguageDefault(key)); }

std::string OwnName() { return FileNamePart(ModulePath()); }
std::string OwnFolder() { return FolderPart(ModulePath()); }

// Starts a command line with the given show state; the result is not tested.
void StartProgram(const std::string& commandLine, bool shown) {
  WinExec(commandLine.c_str(), shown ? SW_SHOWNORMAL : SW_HIDE);
}

void RemoveShortcutIf(bool wanted, const std::string& link) {
  if (wanted && !link.empty() && FileExists(link)) DeleteFileA(link.c_str());
}

// Deletes the completion atom; true when the setup had already removed it.
bool TakeCompletionAtom(const std::string& atomName) {
  const ATOM atom = GlobalFindAtomA(atomName.c_str());
  if (atom != 0) GlobalDeleteAtom(atom);
  return atom == 0;
}

// Runs the setup program named by the run command and waits for it and its dialog.
bool StartAndAwaitSetup(const TGFileInfo& pkg, const std::string& workFolder, const std::string& runCommand,
                        const std::string& commandTail, bool foreground) {
  const std::string tag = ThreadTag(GetCurrentThreadId());
  SetupCommand cmd = BuildSetupCommand(workFolder, runCommand, commandTail, tag, ModulePath(), AgentFlag());
  const std::string startUpLink = original::StartUpLink();
  const std::string checkLink = original::CheckforNewUpdateLink();
  DebugWriteLn(">>" + cmd.commandLine + "<<");
  const std::string atomName = CompletionAtomName(tag);
  GlobalAddAtomA(atomName.c_str());
  StartedProgram setup = StartProgramWithHandle(cmd.commandLine, cmd.programPath, foreground ? SW_SHOWNORMAL : SW_HIDE,
                                                static_cast<HWND>(StubWindowHandle()));
  ShowStubWindow(false);
  if (setup.error == ERROR_CANCELLED && setup.elevated) {
    // The user refused the administrator rights the setup asks for: nothing runs.
    TakeCompletionAtom(atomName);
    ErrorBox(nullptr, Text(pkg, "s13"), Text(pkg, "Error"), Text(pkg, "BtnText"), pkg.LanguageCharset());
    return false;
  }
  Wait(1000);
  WaitForProgramEnd(cmd.programPath, setup.process);
  ReleaseStartedProgram(setup);
  WaitWhileWindowClass(SetupDialogClass(tag), "");
  Wait(1000);
  const bool completed = TakeCompletionAtom(atomName);
  if (completed) {
    RemoveShortcutIf(info::RemoveStartUpShortcut(), startUpLink);
    RemoveShortcutIf(info::RemoveCheckForNewUpdateShortcut(), checkLink);
  }
  return completed;
}

}  // namespace

bool RunSetup(const std::string& workFolderIn, const std::string& packagePath, const std::string& agentName,
              const std::string& commandTail, bool foreground) {
  TGFileInfo pkg(packagePath);
  if (pkg.SecondBarFlag()) ShowActivityBar(true);
  SetStatusLine(Text(pkg, "s1"), pkg.LanguageFontName(), pkg.LanguageCharset(), pkg.LanguageFontSize());

  std::string workFolder = workFolderIn;
  bool usedAlternative = false;
  if (!HasTempSpace(workFolder, packagePath) && FindAlternativeTemp()) {
    std::string alt = AlternativeWorkFolder();
    if (!alt.empty()) {
      workFolder = alt;
      usedAlternative = true;
    }
  }
  DebugWriteLn("========= ForegroundOp=" + DbgBool(foreground) + " ==========");

  bool completed = false;
  if (!foreground || ConfirmTempSpace(workFolder, pkg)) {
    const std::string prompt = Text(pkg, "s8");
    const std::string caption = Text(pkg, "Attention");
    const std::string buttons = Text(pkg, "BtnText");
    if (foreground) ShowStubWindow(true);
    Wait(1000, 1);
    std::string runCommand;
    bool checksumOk = false;
    UnpackPackage(packagePath, workFolder, agentName, ForcePromptSetting(), pkg.LanguageCharset(), buttons,
                  caption, prompt, DownloadProgress, runCommand, checksumOk);
    Wait(1000);
    if (!runCommand.empty() && checksumOk) {
      completed = StartAndAwaitSetup(pkg, workFolder, runCommand, commandTail, foreground);
    }
    if (!checksumOk) {
      // Ownerless like the extraction's boxes: the caption is repeated as the bold heading.
      ErrorBox(nullptr, Text(pkg, "s7"), Text(pkg, "Error"), buttons, pkg.LanguageCharset());
    }
  }
  if (usedAlternative) RemoveAlternativeWorkFolder();
  return completed;
}

void RunStubJob(void* window) {
  KillTimer(static_cast<HWND>(window), kStubTimerId);
  const TGFileInfo& own = OwnPackage();
  const std::string agentName = own.MakeAgentFlag() ? own.AgentExeName() : std::string();
  if (own.WebFlag()) {
    // A web-hosted package carries no files: its payload comes from the web folder.
    RunWebHostedJob(agentName);
  } else {
    std::string packagePath = SwitchValue("/SpanDiskFName1=");
    if (packagePath.empty()) packagePath = ModulePath();
    const bool hidden = SwitchPresent("/hide") || own.RunHidden();
    RunSetup(WorkFolder(), packagePath, agentName, CommandTail(), !hidden);
  }
  DeleteTree(WorkFolder(), true);
  PostQuitMessage(0);
}

void CreateAndRun_X_Exe() {
  const std::string zz = SwitchValue("/_ZZ=");
  DebugWriteLnPid(" CreateAndRun_X_Exe-1 " + zz);
  if (!AgentFlag()) return;
  if (AgentWindowExists() && zz != "99") return;
  if (!SameTextTrim(OwnName(), OwnPackage().AgentExeName())) return;
  DebugWriteLnPid(" CreateAndRun_X_Exe-2");
  Wait(static_cast<uint32_t>(Clamp(static_cast<int32_t>(SwitchInt("/WAIT=", 0)), 0, 86400)) * 1000u);
  const std::string copyPath = OwnFolder() + "X_" + OwnName();
  CopyFileA(ModulePath().c_str(), copyPath.c_str(), FALSE);
  const std::string params = AgentCopyParameters(SwitchValue("/TRANSIENT="), SwitchValue("/DELAY="));
  StartProgram("\"" + copyPath + "\"" + params, false);
  if (!CommandTail().empty()) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 3000) {
      Wait(200);
      if (IsProgramRunning(copyPath)) break;
    }
  }
}

bool ForwardControlSwitches(bool agentWindowExisted) {
  const std::string target = OwnFolder() + "X_" + OwnName();
  if (!FileExists(target)) return false;
  bool posted = false;
  for (const ControlMessage& m : ControlMessagesFor(SwitchInt("/STOP=", -1), SwitchValue("/WM_MSG="),
                                                    SwitchInt("/TEST=", -1), agentWindowExisted)) {
    if (PostToProgram(target, true, m.msg, static_cast<WPARAM>(m.wParam), static_cast<LPARAM>(m.lParam)))
      posted = true;
  }
  return posted;
}

void SpanRelay() {
  const std::string relayPath = WorkFolder() + "\\" + "Y_" + OwnName();
  CopyFileA(ModulePath().c_str(), relayPath.c_str(), FALSE);
  StartProgram(RelayCommandLine(relayPath, CommandTail(), ModulePath()), false);
}

}  // namespace vx
