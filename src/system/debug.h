// Trace channel: lines go to an optional external viewer; dropped silently without one.
// The 128-byte buffering and value formatting are portable; the platform (platform.h) delivers
// the chunks.
#pragma once
#include <cstddef>
#include <cstdint>

#include "text/str.h"

namespace vx {

constexpr size_t kDebugBufferSize = 128;

// Appends text; a buffer that becomes full (128 bytes) is delivered at once.
void DebugWrite(const String& text);
// Appends text and a line feed, then delivers whatever the buffer holds.
void DebugWriteLn(const String& text = String());
// DebugWriteLn(label + value), without making the joined text at the call.
void DebugWriteLn(const char* label, const String& value);
// The usual line: process id (unsigned decimal) followed at once by the event text.
void DebugWriteLnPid(const String& eventText);
void DebugWriteLnPid(const char* eventText);
// DebugWriteLnPid(eventText + value).
void DebugWriteLnPid(const char* eventText, const String& value);
void DebugFlush();

// Text forms of values in trace lines.
String DbgInt(int32_t v);
String DbgUInt(uint32_t v);
String DbgBool(bool v);
String DbgChar(char c);
String DbgFloat(double v);  // 23 characters, e.g. " 1.50000000000000E+0003"

}  // namespace vx
