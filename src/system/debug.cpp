#include "system/debug.h"

#include <cmath>
#include <cstring>

#include "system/platform.h"
#include "text/number_text.h"

namespace vx {
namespace {

char g_buffer[kDebugBufferSize];
size_t g_count = 0;

// Hands the buffered bytes to the platform and empties the buffer whether or not anyone listens.
// The chunk is taken out of the buffer before the (synchronous) hand-over, so a trace line written
// by a window procedure that runs during the send starts on an empty buffer and loses nothing.
void Deliver() {
  if (g_count == 0) return;
  char chunk[kDebugBufferSize];
  const size_t n = g_count;
  std::memcpy(chunk, g_buffer, n);
  g_count = 0;
  CurrentPlatform().DeliverTrace(chunk, n);
}

// Appends n bytes; a buffer that becomes full is delivered at once.
void Append(const char* data, size_t size) {
  size_t pos = 0;
  while (pos < size) {
    size_t n = kDebugBufferSize - g_count;
    if (n > size - pos) n = size - pos;
    std::memcpy(g_buffer + g_count, data + pos, n);
    g_count += n;
    pos += n;
    if (g_count == kDebugBufferSize) Deliver();
  }
}

}  // namespace

void DebugWrite(const String& text) { Append(text.data(), text.size()); }

void DebugFlush() { Deliver(); }

void DebugWriteLn(const String& text) {
  Append(text.data(), text.size());
  Append("\n", 1);
  Deliver();
}

void DebugWriteLn(const char* label, const String& value) { DebugWriteLn(label + value); }

void DebugWriteLnPid(const String& eventText) { DebugWriteLnPid("", eventText); }

void DebugWriteLnPid(const char* eventText) { DebugWriteLnPid(eventText, String()); }

void DebugWriteLnPid(const char* eventText, const String& value) {
  DebugWriteLn(DbgUInt(CurrentPlatform().ProcessId()) + eventText + value);
}

String DbgInt(int32_t v) { return DecimalText(v); }

String DbgUInt(uint32_t v) { return UnsignedText(v); }

String DbgBool(bool v) { return v ? "TRUE" : "FALSE"; }

String DbgChar(char c) { return String(1, c); }

String DbgFloat(double v) {
  char text[23];
  if (!std::isfinite(v)) {
    // No digits to show: the name, right-aligned in the same 23-character field.
    const char* const name = std::isnan(v) ? "NAN" : (v < 0 ? "-INF" : "+INF");
    const size_t n = std::strlen(name);
    std::memset(text, ' ', sizeof text - n);
    std::memcpy(text + sizeof text - n, name, n);
    return String(text, sizeof text);
  }
  // Sign position, one digit, point, 14 decimals, E, exponent sign, 4 exponent digits.
  // The exponent of a double has at most 3 digits.
  int exp = 0;
  const String digits = SignificantDigits(v, 15, exp);
  text[0] = std::signbit(v) && v != 0 ? '-' : ' ';
  text[1] = digits[0];
  text[2] = '.';
  std::memcpy(text + 3, digits.data() + 1, 14);
  text[17] = 'E';
  text[18] = exp < 0 ? '-' : '+';
  uint32_t e = static_cast<uint32_t>(exp < 0 ? -exp : exp);
  for (int i = 22; i > 18; --i, e /= 10) text[i] = static_cast<char>('0' + e % 10);
  return String(text, sizeof text);
}

}  // namespace vx
