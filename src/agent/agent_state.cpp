#include "agent/agent_state.h"

#include "agent/schedule.h"

namespace vx {
namespace {

int32_t g_timerCount = kInitialTimerCount;
bool g_checkNow = false;
int32_t g_interactiveState = 0;
int32_t g_activityState = 0;

}  // namespace

int32_t AutoUpdateTimerCount() { return g_timerCount; }
void SetAutoUpdateTimerCount(int32_t count) { g_timerCount = count; }

void ApplySleepSwitch(int64_t sleepTicks) {
  if (sleepTicks >= 0) g_timerCount = static_cast<int32_t>(-sleepTicks);
}

bool CheckNow() { return g_checkNow; }
void SetCheckNow(bool on) { g_checkNow = on; }
int32_t InteractiveState() { return g_interactiveState; }
void SetInteractiveState(int32_t state) { g_interactiveState = state; }

void RequestCheck(bool interactive) {
  g_checkNow = true;
  if (interactive) g_interactiveState = 2;
}

int32_t ActivityState() { return g_activityState; }
void SetActivityState(int32_t state) { g_activityState = state; }

void ResetAgentState() {
  g_timerCount = kInitialTimerCount;
  g_checkNow = false;
  g_interactiveState = 0;
  g_activityState = 0;
  SetProbingEnabled(true);
}

}  // namespace vx
