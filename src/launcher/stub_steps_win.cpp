// Agent-side steps of the main body.
#include "agent/agent_folder.h"
#include "agent/settings.h"
#include "env/utils.h"
#include "launcher/stub_steps.h"

namespace vx {

void ApplyTransientSwitch() { ParseTransientFlags(SwitchValue("/TRANSIENTx=")); }

// The agent's folder is made ready (a per-user one seeded from the installation) before any
// setting is read. The agent's scheduling reads its test-mode settings here once it exists;
// until then the agent copy only answers its remote-control messages.
void InitAgent() { PrepareAgentFolder(); }

}  // namespace vx
