// Trace channel: lines go to an optional external viewer; dropped silently without one.
// The 128-byte buffering and value formatting are portable; delivery is platform-supplied.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace vx {

// Delivery of one chunk (1..128 bytes). Installed by the platform layer (DebugOpen).
using DebugDeliverFn = void (*)(const char* chunk, size_t len);
void SetDebugDelivery(DebugDeliverFn fn);

constexpr size_t kDebugBufferSize = 128;

// Appends text; a buffer that becomes full (128 bytes) is delivered at once.
void DebugWrite(const std::string& text);
// Appends text and a line feed, then delivers whatever the buffer holds.
void DebugWriteLn(const std::string& text = std::string());
// The usual line: process id (unsigned decimal) followed at once by the event text.
void DebugWriteLnPid(const std::string& eventText);
void DebugFlush();

// Text forms of values in trace lines.
std::string DbgInt(int32_t v);
std::string DbgUInt(uint32_t v);
std::string DbgBool(bool v);
std::string DbgChar(char c);
std::string DbgFloat(double v);  // 23 characters, e.g. " 1.50000000000000E+0003"

uint32_t CurrentProcessId();     // platform-supplied
// Windows: connects the channel to the ".VDebug." viewer window and flushes it at process end.
void DebugOpen();

}  // namespace vx
