// Agent-side steps of the main body.
#include "agent/settings.h"
#include "env/utils.h"
#include "launcher/stub_steps.h"

namespace vx {

void ApplyTransientSwitch() { ParseTransientFlags(SwitchValue("/TRANSIENTx=")); }

// The agent's scheduling reads its test-mode settings here once it exists; until then the
// agent copy only answers its remote-control messages.
void InitAgent() {}

}  // namespace vx
