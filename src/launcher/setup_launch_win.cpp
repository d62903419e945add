// The installer job: extract the package, start its setup with the handshake, wait for it and
// tidy up; and the self-copy steps of the span relay and the agent launcher.
#include <windows.h>

#include "agent/settings.h"
#include "launcher/commands.h"
#include "launcher/main_body.h"
#include "launcher/modes.h"
#include "launcher/program_start_win.h"
#include "launcher/setup_launch.h"
#include "launcher/stub_window.h"
#include "launcher/tempspace.h"
#include "package/unpack_files_win.h"
#include "package/unpack_win.h"
#include "process/process_win.h"
#include "system/debug.h"
#include "system/files.h"
#include "system/winutil_win.h"
#include "text/paths.h"
#include "text/switches.h"
#include "text/utils.h"
#include "ui/lang_defaults.h"
#include "ui/msgbox.h"

namespace vx {

String PackageText(const TGFileInfo& pkg, const char* key) { return LauncherText(pkg.LanguageBlock(), key); }

void ShowPackageStatus(const TGFileInfo& pkg, const char* key) {
  SetStatusLine(PackageText(pkg, key), pkg.LanguageFontName(), pkg.LanguageCharset(), pkg.LanguageFontSize());
}

void PackageErrorBox(WindowHandle owner, const TGFileInfo& pkg, const String& text) {
  ErrorBox(owner, text, PackageText(pkg, "Error"), PackageText(pkg, "BtnText"), pkg.LanguageCharset());
}

namespace {

constexpr UINT_PTR kStubTimerId = 1;


String OwnName() { return FileNamePart(ModulePath()); }
String OwnFolder() { return FolderPart(ModulePath()); }
// The agent copy beside the launcher: X_ and the launcher's own file name.
String AgentCopyPath() {
  String path = OwnFolder();
  path += "X_";
  path += OwnName();
  return path;
}

// Starts a command line with the given show state; the result is not tested.
void StartProgram(const String& commandLine, bool shown) {
  WinExec(commandLine.c_str(), shown ? SW_SHOWNORMAL : SW_HIDE);
}

void RemoveShortcutIf(bool wanted, const String& link) {
  if (wanted && !link.empty() && FileExists(link)) DeleteFileA(link.c_str());
}

// Deletes the completion atom; true when the setup had already removed it.
bool TakeCompletionAtom(const String& atomName) {
  const ATOM atom = GlobalFindAtomA(atomName.c_str());
  if (atom != 0) GlobalDeleteAtom(atom);
  return atom == 0;
}

// Runs the setup program named by the run command and waits for it and its dialog.
bool StartAndAwaitSetup(const TGFileInfo& pkg, const String& workFolder, const String& runCommand,
                        const String& commandTail, bool foreground) {
  const String tag = ThreadTag(GetCurrentThreadId());
  SetupCommand cmd = BuildSetupCommand(workFolder, runCommand, commandTail, tag, ModulePath(), AgentFlag());
  const String startUpLink = original_file::StartUpLink();
  const String checkLink = original_file::CheckforNewUpdateLink();
  DebugWriteLn(">>", cmd.commandLine + "<<");
  const String atomName = CompletionAtomName(tag);
  GlobalAddAtomA(atomName.c_str());
  StartedProgram setup = StartProgramWithHandle(cmd.commandLine, cmd.programPath, foreground ? SW_SHOWNORMAL : SW_HIDE,
                                                static_cast<HWND>(StubWindowHandle()));
  ShowStubWindow(false);
  if (setup.error == ERROR_CANCELLED && setup.elevated) {
    // The user refused the administrator rights the setup asks for: nothing runs.
    TakeCompletionAtom(atomName);
    PackageErrorBox(nullptr, pkg, PackageText(pkg, "s13"));
    return false;
  }
  Wait(1000);
  WaitForProgramEnd(cmd.programPath, setup.process);
  ReleaseStartedProgram(setup);
  WaitWhileWindowClass(SetupDialogClass(tag), "");
  Wait(1000);
  const bool completed = TakeCompletionAtom(atomName);
  if (completed) {
    RemoveShortcutIf(update_info::RemoveStartUpShortcut(), startUpLink);
    RemoveShortcutIf(update_info::RemoveCheckForNewUpdateShortcut(), checkLink);
  }
  return completed;
}

}  // namespace

bool RunSetup(const String& workFolderIn, const String& packagePath, const String& agentName,
              const String& commandTail, bool foreground) {
  // The package file is opened once: its texts and flags, the room it needs and its extraction
  // all come from this open file.
  std::unique_ptr<ByteSource> piece = OpenPieceFile(packagePath);
  const TGFileInfo pkg(*piece);
  if (pkg.SecondBarFlag()) ShowActivityBar(true);
  ShowPackageStatus(pkg, "s1");

  String workFolder = workFolderIn;
  bool usedAlternative = false;
  if (!HasTempSpace(workFolder, pkg) && FindAlternativeTemp()) {
    String alt = AlternativeWorkFolder();
    if (!alt.empty()) {
      workFolder = alt;
      usedAlternative = true;
    }
  }
  DebugWriteLn("========= ForegroundOp=", DbgBool(foreground) + " ==========");

  bool completed = false;
  if (!foreground || ConfirmTempSpace(workFolder, pkg)) {
    UnpackRequest request;
    request.packagePath = packagePath;
    request.workFolder = workFolder;
    request.agentName = agentName;
    request.promptText = PackageText(pkg, "s8");
    UnpackUi ui;
    ui.charset = pkg.LanguageCharset();
    ui.buttons = PackageText(pkg, "BtnText");
    ui.caption = PackageText(pkg, "Attention");
    ui.errorCaption = PackageText(pkg, "Error");
    ui.progress = DownloadProgress;
    if (foreground) ShowStubWindow(true);
    Wait(1000, 1);
    request.forcePrompt = ForcePromptSetting();
    const UnpackResult unpacked = UnpackPackage(request, ui, std::move(piece));
    Wait(1000);
    if (!unpacked.runCommand.empty() && unpacked.checksumOk) {
      completed = StartAndAwaitSetup(pkg, workFolder, unpacked.runCommand, commandTail, foreground);
    }
    if (!unpacked.checksumOk) {
      // Ownerless like the extraction's boxes: the caption is repeated as the bold heading.
      PackageErrorBox(nullptr, pkg, PackageText(pkg, "s7"));
    }
  }
  if (usedAlternative) RemoveAlternativeWorkFolder();
  return completed;
}

void RunStubJob(void* window) {
  KillTimer(static_cast<HWND>(window), kStubTimerId);
  const TGFileInfo& own = OwnPackage();
  const String agentName = own.MakeAgentFlag() ? own.AgentExeName() : String();
  if (own.WebFlag()) {
    // A web-hosted package carries no files: its payload comes from the web folder.
    RunWebHostedJob(agentName);
  } else {
    String packagePath = SwitchValue("/SpanDiskFName1=");
    if (packagePath.empty()) packagePath = ModulePath();
    const bool hidden = SwitchPresent("/hide") || own.RunHidden();
    RunSetup(WorkFolder(), packagePath, agentName, CommandTail(), !hidden);
  }
  DeleteTree(WorkFolder(), true);
  PostQuitMessage(0);
}

void CreateAndRun_X_Exe() {
  const String zz = SwitchValue("/_ZZ=");
  DebugWriteLnPid(" CreateAndRun_X_Exe-1 ", zz);
  if (!AgentFlag()) return;
  if (AgentWindowExists() && zz != "99") return;
  if (!SameTextTrim(OwnName(), OwnPackage().AgentExeName())) return;
  DebugWriteLnPid(" CreateAndRun_X_Exe-2");
  Wait(static_cast<uint32_t>(Clamp(static_cast<int32_t>(SwitchInt("/WAIT=", 0)), 0, 86400)) * 1000u);
  const String copyPath = AgentCopyPath();
  CopyFileA(ModulePath().c_str(), copyPath.c_str(), FALSE);
  const String params = AgentCopyParameters(SwitchValue("/TRANSIENT="), SwitchValue("/DELAY="));
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
  const String target = AgentCopyPath();
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
  const String relayPath = WorkFolder() + "\\Y_" + OwnName();
  CopyFileA(ModulePath().c_str(), relayPath.c_str(), FALSE);
  StartProgram(RelayCommandLine(relayPath, CommandTail(), ModulePath()), false);
}

}  // namespace vx
