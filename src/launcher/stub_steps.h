// Steps the main body hands over to: the stub window, the setup launch and self-copies.
#pragma once

namespace vx {

void RunStubWindow();                       // returns when the window's message loop ends
void RunStubJob(void* window);              // the installer job, started by the window's first tick
void CreateAndRun_X_Exe();                  // agent launcher: copy to "X_" + name and start it
void SpanRelay();                           // copy to "Y_" + name in the work folder and start it
// Posts "/STOP=", "/WM_MSG=" and "/TEST=" to the running agent copy; true when any was posted.
bool ForwardControlSwitches(bool agentWindowExisted);
void ApplyTransientSwitch();                // "/TRANSIENTx=" for an agent copy
void InitAgent();                           // forced read of the test-mode settings

}  // namespace vx
