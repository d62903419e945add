// When the update agent checks: the schedule decision, the steps of one timer tick around the
// check, the stop countdown and the question asked before a check.
#pragma once
#include <cstdint>

#include "text/str.h"

namespace vx {

// Scheduled checks are allowed (cleared after the single check of an interval of 0).
bool ProbingEnabled();
void SetProbingEnabled(bool on);

// 0 no check, 1 check, 2 check and it is the last scheduled one of this run. Consumes CheckNow.
int32_t ShotTimeStatus();

// What the Win32 half of a tick does between BeginAgentTick and EndAgentTick.
struct TickPlan {
  bool quit = false;  // post the quit message (the stop countdown has run out)
  int32_t status = 0;  // the schedule decision; above 0: check
  bool ask = false;    // ask the user before the check
};
// Steps of a tick up to the check: false (nothing to do) while a tick is busy; otherwise marks
// the tick busy, runs the stop countdown and the tick counter, and decides.
bool BeginAgentTick(TickPlan& plan);
// Ends a begun tick: an interactive check is over, activity idle, not busy.
void EndAgentTick();
bool AgentTickBusy();

// The question before a check: s22, s23 (left out when location is shorter than 2 characters or a
// drive path), s24 and, in test mode, the test-mode note, with "PROG_NAME" replaced.
String ConfirmShotQuestion(const String& location, bool testMode);

}  // namespace vx
