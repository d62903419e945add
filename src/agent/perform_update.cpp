#include "agent/perform_update.h"

#include "agent/agent_state.h"
#include "agent/settings.h"
#include "launcher/remote.h"
#include "system/debug.h"
#include "system/macros.h"
#include "text/paths.h"
#include "text/utils.h"

namespace vx {
namespace {

void LogStep(int step) { DebugWriteLnPid(" ==== PerformAutoUpdate-" + IntText(step) + " ===="); }

String Text(const char* key) { return AutoUpdateText(key, ""); }

// The message of key (followed by that of more when given) with "PROG_NAME" replaced by name.
String Message(const String& name, const char* key, const char* more = nullptr) {
  String text = Text(key);
  if (more != nullptr) text += Text(more);
  return ReplaceAll(text, "PROG_NAME", name);
}

bool Update(UpdateHost& host) {
  const String location = update_info::DownloadURL_UPDATE();
  const String name = update_info::NameOfUpdateFile();
  if (location.empty() || name.empty()) return false;
  LogStep(5);
  const String programName = update_info::ProgramName();
  const bool asking = InteractiveState() != 1;
  if (asking && ConfirmDownload() &&
      !host.Ask(Message(programName, "s11", ConfirmInstall() ? "s13" : "s12"), true))
    return false;
  LogStep(6);
  SetActivityState(2);
  PostClientNotification(kNotifyFileFetch, 1);
  // The setup that runs, and is deleted afterwards, is the very file that was fetched and checked.
  String setupFile;
  const bool fetched = host.FetchUpdate(location, name, setupFile);
  PostClientNotification(kNotifyFileFetch, 2);
  if (!fetched || (asking && ConfirmInstall() && !host.Ask(Message(programName, "s14"), true)))
    return false;
  LogStep(7);
  SetInstallFolders(original_file::TargetDir(), original_file::SharedDir(), original_file::AuxiliaryDir());
  const String program = host.ProgramPath(update_info::RunningProcess());
  const bool runningAtStart = host.IsRunning(program);
  const ShutDown method = ShutDownFor(update_info::ShutDownMethod());
  if (method == ShutDown::Notice) {
    const String notice = Message(FileNamePart(program), "s15");
    while (host.IsRunning(program)) host.Notice(notice, true);
  }
  LogStep(8);
  if (method >= ShutDown::Close && method <= ShutDown::Terminate) host.Apply(method, program);
  if (method != ShutDown::None) host.WaitForEnd(program);
  LogStep(9);
  // Restarted only when it was running at the start and has ended since.
  const bool restartAfter = runningAtStart && !host.IsRunning(program) && Restart();
  SetActivityState(3);
  PostClientNotification(kNotifySetupRun, 1);
  LogStep(10);
  const bool result = host.RunSetup(
      setupFile, "/OriginalInfoFile=\"" + CurrentSettingsStore().InfoFilePath() + "\"", !Background());
  LogStep(11);
  PostClientNotification(kNotifySetupRun, 2);
  if (result) original_file::SetVersionOriginal(update_info::VersionNew());
  host.Delete(setupFile);
  bool agree = true;
  if (result && (InformFinish() || !asking)) {
    String finish = Message(programName, "s16");
    if (restartAfter) {
      finish += Text("s17");  // after the replacement: this part is shown as it stands
      agree = host.Ask(finish, false);
    } else {
      host.Notice(finish, false);
    }
  }
  if (restartAfter && agree) host.Start(program);
  return result;
}

}  // namespace

ShutDown ShutDownFor(const String& method) {
  static const char* const kMethods[] = {"Issue a Message Box", "Using WM_CLOSE", "Using WM_QUIT",
                                         "Using Terminate Process", "Don't Shut Down"};
  for (int i = 0; i < 5; ++i)
    if (method == kMethods[i]) return static_cast<ShutDown>(i + 1);
  return ShutDown::Wait;
}

bool PerformAutoUpdateWith(UpdateHost& host) {
  LogStep(4);
  const bool result = Update(host);
  LogStep(12);
  return result;
}

}  // namespace vx
