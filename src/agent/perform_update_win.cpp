// The update's steps on the running system: the agent's boxes, the fetch, the process control
// of the application and the setup run in the launcher's work folder.
#include <windows.h>

#include "agent/agent_folder.h"
#include "agent/agent_win.h"
#include "agent/check_chain.h"
#include "agent/perform_update.h"
#include "agent/settings.h"
#include "launcher/main_body.h"
#include "launcher/setup_launch.h"
#include "process/process_win.h"
#include "system/files.h"
#include "system/macros.h"
#include "ui/msgbox.h"

namespace vx {
namespace {

// Ownerless boxes repeat their caption as a heading; the others take the active window.
WindowHandle Owner(bool heading) { return heading ? nullptr : ActiveWindowOwner(); }

class Win32UpdateHost final : public UpdateHost {
 public:
  bool Ask(const String& text, bool heading) override { return AgentBox(kAgentConfirm, Owner(heading), text); }
  void Notice(const String& text, bool heading) override { AgentBox(kAgentAttention, Owner(heading), text); }
  bool FetchUpdate(const String& location, const String& name, String& path) override {
    String errorText;
    path = AgentFolder() + FetchFileName(name);
    return DownloadFileAU(location, name, 2, errorText);
  }
  String ProgramPath(const String& text) override { return ExpandMacros(text, "\\", true); }
  bool IsRunning(const String& program) override { return IsProgramRunning(program); }
  void Apply(ShutDown method, const String& program) override {
    if (method == ShutDown::Terminate)
      TerminateProgram(program, true);
    else
      PostToProgram(program, true, method == ShutDown::Close ? WM_CLOSE : WM_QUIT, 15, 255);
  }
  void WaitForEnd(const String& program) override { WaitForProgramEnd(program); }
  bool RunSetup(const String& setupFile, const String& commandTail, bool foreground) override {
    const bool completed =
        vx::RunSetup(WorkFolder(), setupFile, OwnPackage().AgentExeName(), commandTail, foreground);
    DeleteTree(WorkFolder(), true);
    return completed;
  }
  void Delete(const String& file) override { DeleteFileA(file.c_str()); }
  void Start(const String& program) override {
    WinExec(("\"" + program + "\"").c_str(), SW_SHOWNORMAL);
  }
};

}  // namespace

bool PerformAutoUpdate() {
  Win32UpdateHost host;
  return PerformAutoUpdateWith(host);
}

}  // namespace vx
