// The agent's timer tick, the question before a check and the restart after an update.
#include <windows.h>

#include "agent/agent_host.h"
#include "agent/agent_state.h"
#include "agent/agent_win.h"
#include "agent/schedule.h"
#include "agent/settings.h"
#include "launcher/commands.h"
#include "launcher/modes.h"
#include "launcher/remote.h"
#include "package/own_package.h"
#include "text/switches.h"
#include "ui/msgbox.h"

namespace vx {

void InitAgent() {
  SetAgentHost(&Win32AgentHost());
  ReadTestMode(true);
}

void AutoUpdateTick() {
  if (AgentTickBusy()) return;
  SetBoxFont(original_file::FontName(), original_file::FontSize(), original_file::CharSet());
  TickPlan plan;
  if (!BeginAgentTick(plan)) return;
  if (plan.quit) PostQuitMessage(0);
  if (plan.ask) ConfirmShot(plan.status);
  if (plan.status > 0) PerformShot();
  EndAgentTick();
}

void ConfirmShot(int32_t& status) {
  const String location = ReadTestMode(true) ? TestModeURL() : OwnPackage().UpdateUrl();
  if (!AgentBox(kAgentConfirm, ActiveWindowOwner(), ConfirmShotQuestion(location, ReadTestMode(true)))) status = 0;
}

void RelaunchAgent() {
  if (StopRequest() > 0) return;
  const String line = RelaunchCommandLine(FolderPart(ModulePath()), OwnPackage().AgentExeName(),
                                          TransientFlagsText());
  WinExec(line.c_str(), SW_HIDE);
  PostQuitMessage(0);
}

}  // namespace vx
