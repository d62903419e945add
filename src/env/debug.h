// Trace channel: lines go to an optional external viewer; dropped silently without one.
// The 128-byte buffering and value formatting are portable; delivery is platform-supplied.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace vx {

// Delivery of one chunk (at most 128 bytes). Installed by the platform layer (DebugOpen).
using DebugDeliverFn = void (*)(const char* chunk, size_t len);
void SetDebugDelivery(DebugDeliverFn fn);

void DebugWrite(const std::string& text);
void DebugWriteLn(const std::string& text = std::string());
// The usual line: process id (unsigned decimal) followed at once by the event text.
void DebugWriteLnPid(const std::string& eventText);
void DebugFlush();

// Text forms of values in trace lines.
std::string DbgInt(int32_t v);
std::string DbgUInt(uint32_t v);
std::string DbgBool(bool v);
std::string DbgFloat(double v);  // 23 characters, e.g. " 1.50000000000000E+0003"

uint32_t CurrentProcessId();     // platform-supplied
void DebugOpen();                // Windows: connects the channel to the viewer window

}  // namespace vx
