#include "agent/schedule.h"

#include "agent/agent_host.h"
#include "agent/agent_state.h"
#include "agent/settings.h"
#include "launcher/remote.h"
#include "system/debug.h"
#include "text/utils.h"

namespace vx {
namespace {

bool g_probing = true;
bool g_busy = false;

}  // namespace

bool ProbingEnabled() { return g_probing; }
void SetProbingEnabled(bool on) { g_probing = on; }
bool AgentTickBusy() { return g_busy; }

int32_t ShotTimeStatus() {
  int32_t result = 0;
  const bool checkNow = CheckNow();
  if (g_probing || checkNow) {
    const int64_t stored = original_file::ProbeSecondsInterval();
    const int64_t interval = TestMode() ? 5 : stored;
    if (NowSeconds() >= SaturatingAdd(original_file::ProbeSecondsLast(), interval)) result = 1;
    if (stored == 0 && result == 1) result = 2;
    if (stored == -1) result = 0;
    if (checkNow) result = 1;
  }
  SetCheckNow(false);
  return result;
}

bool BeginAgentTick(TickPlan& plan) {
  plan = TickPlan();
  if (g_busy) return false;
  g_busy = true;
  SetActivityState(0);
  if (InteractiveState() == 2) SetInteractiveState(1);
  if (InteractiveState() == 1) SetAutoUpdateTimerCount(0);
  const int32_t stop = StopRequest();
  plan.quit = stop == 0;
  if (stop >= 0) SetStopRequest(stop - 1);
  const int32_t count = AutoUpdateTimerCount() + 1;
  SetAutoUpdateTimerCount(count);
  DebugWriteLnPid(" AutoUpdateTimerCount=", IntText(count));
  if (count > 0) {
    ReadTestMode(false);
    plan.status = ShotTimeStatus();
    DebugWriteLnPid(" ShotTimeStatus=", IntText(plan.status));
    if (plan.status == 2) g_probing = false;
    plan.ask = plan.status > 0 && (InteractiveState() == 1 || AskBeforeCheck());
  }
  return true;
}

void EndAgentTick() {
  if (InteractiveState() == 1) SetInteractiveState(0);
  SetActivityState(0);
  g_busy = false;
}

String ConfirmShotQuestion(const String& location, bool testMode) {
  String question = AutoUpdateText("s22", "");
  if (location.size() >= 2 && location[1] != ':') question += AutoUpdateText("s23", "");
  question += AutoUpdateText("s24", "");
  if (testMode) question += "<P><P><T><B>PLEASE NOTE</B> - You are now running in <B>Test Mode</B>!";
  return ReplaceAll(question, "PROG_NAME", original_file::ProgramName());
}

}  // namespace vx
