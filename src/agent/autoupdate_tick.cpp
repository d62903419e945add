// Placeholder tick of the update agent: an agent copy keeps its window and answers remote
// control, but makes no check decision yet. The scheduling unit replaces this file.
#include "agent/agent_state.h"

namespace vx {

void AutoUpdateTick() {}

}  // namespace vx
