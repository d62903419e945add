// The stub window's remote-control protocol: other programs post it 1123 (stop request),
// 1124 (subscribe a client window) and 1125 (command, value -> result); subscribed clients
// receive notifications (code, value) as their own message.
#pragma once
#include <cstdint>

namespace vx {

constexpr uint32_t kMsgStopRequest = 1123;
constexpr uint32_t kMsgSubscribe = 1124;
constexpr uint32_t kMsgCommand = 1125;

// Notification codes.
constexpr uint32_t kNotifyWindow = 50;      // value: the stub window's handle
constexpr uint32_t kNotifyCommandMsg = 51;  // value: 1125
constexpr uint32_t kNotifyLoopEnded = 43;   // value: 0
constexpr uint32_t kNotifyInfoFetch = 40;   // values 1, then 2
constexpr uint32_t kNotifyFileFetch = 41;
constexpr uint32_t kNotifySetupRun = 42;

// Runs a 1125 command against the agent's settings and state; unknown commands do nothing.
int32_t RunRemoteCommand(uint32_t command, int32_t value);

// Stop request: -1 none; otherwise the number of ticks before the agent ends.
int32_t StopRequest();
void SetStopRequest(int32_t value);

void SetClient(uintptr_t window, uint32_t message);
uintptr_t ClientWindow();
uint32_t ClientMessage();
// Stores the client and answers the subscription with (50, selfWindow) and (51, 1125).
void Subscribe(uintptr_t window, uint32_t message, uintptr_t selfWindow);
// Posts the client message (wParam = code, lParam = value) through the platform (platform.h), only
// when both the client window and the client message are non-zero.
void PostClientNotification(uint32_t code, intptr_t value);

}  // namespace vx
