// Per-run state of the update agent that the stub window's remote-control commands and the
// "/SleepX=" switch reach: the tick counter, the check requests and the activity state.
#pragma once
#include <cstdint>

namespace vx {

constexpr int32_t kInitialTimerCount = -3;  // the first check decision comes on the fourth tick

int32_t AutoUpdateTimerCount();
void SetAutoUpdateTimerCount(int32_t count);
// "/SleepX=" value: 0 or more starts the counter at minus that value; a negative one changes nothing.
void ApplySleepSwitch(int64_t sleepTicks);

// A check requested by a client: CheckNow is consumed by the next schedule decision; an
// interactive request also sets InteractiveState to 2 (turned into 1 by the next tick).
bool CheckNow();
void SetCheckNow(bool on);
int32_t InteractiveState();
void SetInteractiveState(int32_t state);
void RequestCheck(bool interactive);

int32_t ActivityState();
void SetActivityState(int32_t state);

void ResetAgentState();  // every value back to its start value

// Handles one timer tick of the stub window in an agent copy.
void AutoUpdateTick();

}  // namespace vx
