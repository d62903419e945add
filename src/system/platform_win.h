// The running system as the portable core's platform (platform.h): the local clock, the process
// id, the thread locale, the drives' cluster sizes, the ".VDebug." trace viewer and posted
// window messages. A Windows program installs it when it starts:
//   SetPlatform(&Win32Platform());
//   DebugOpen();
#pragma once
#include "system/platform.h"

namespace vx {

Platform& Win32Platform();

// Opens the trace channel to the viewer: registers the channel's window message and delivers
// what is still buffered when the process ends. The Win32 platform delivers trace chunks only
// once the channel is open.
void DebugOpen();

}  // namespace vx
