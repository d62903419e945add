#include "launcher/remote.h"

#include "agent/agent_state.h"
#include "agent/settings.h"
#include "system/platform.h"

namespace vx {
namespace {

int32_t g_stopRequest = -1;
uintptr_t g_clientWindow = 0;
uint32_t g_clientMessage = 0;

}  // namespace

int32_t RunRemoteCommand(uint32_t command, int32_t value) {
  const int64_t wide = value;  // sign-extended
  switch (command) {
    case 4: return original_file::VersionOriginal();
    case 5: return update_info::VersionNew();
    case 7: return ActivityState();
    case 8: return Low32(original_file::ProbeSecondsInterval());
    case 9: return Low32(original_file::ReAskSecondsInterval());
    case 10: return Low32(original_file::ProbeSecondsLast());
    case 11: return Low32(original_file::ReAskSecondsLast());
    case 12: original_file::SetProbeSecondsInterval(wide); break;
    case 13: original_file::SetReAskSecondsInterval(wide); break;
    case 14: original_file::SetProbeSecondsLast(wide); break;
    case 15: original_file::SetReAskSecondsLast(wide); break;
    case 20: case 21: case 22: case 23: case 24: case 25:
      SetTransientFlag(static_cast<int>(command) - 19, value);
      break;
    case 30: SetStopRequest(value); break;
    case 31: RequestCheck(value == 2); break;
    default: break;
  }
  return 0;
}

int32_t StopRequest() { return g_stopRequest; }
void SetStopRequest(int32_t value) { g_stopRequest = value; }

void SetClient(uintptr_t window, uint32_t message) {
  g_clientWindow = window;
  g_clientMessage = message;
}

uintptr_t ClientWindow() { return g_clientWindow; }
uint32_t ClientMessage() { return g_clientMessage; }

void Subscribe(uintptr_t window, uint32_t message, uintptr_t selfWindow) {
  SetClient(window, message);
  PostClientNotification(kNotifyWindow, static_cast<intptr_t>(selfWindow));
  PostClientNotification(kNotifyCommandMsg, static_cast<intptr_t>(kMsgCommand));
}

void PostClientNotification(uint32_t code, intptr_t value) {
  if (g_clientWindow == 0 || g_clientMessage == 0) return;
  CurrentPlatform().PostWindowMessage(g_clientWindow, g_clientMessage, code, value);
}

}  // namespace vx
