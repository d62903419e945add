#include "env/debug.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vx {
namespace {

constexpr size_t kBufferSize = 128;
char g_buffer[kBufferSize];
size_t g_count = 0;
DebugDeliverFn g_deliver = nullptr;

void Deliver() {
  if (g_count != 0 && g_deliver != nullptr) g_deliver(g_buffer, g_count);
  g_count = 0;  // emptied whether or not anyone listened
}

}  // namespace

void SetDebugDelivery(DebugDeliverFn fn) { g_deliver = fn; }

void DebugWrite(const std::string& text) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t n = kBufferSize - g_count;
    if (n > text.size() - pos) n = text.size() - pos;
    std::memcpy(g_buffer + g_count, text.data() + pos, n);
    g_count += n;
    pos += n;
    if (g_count == kBufferSize) Deliver();
  }
}

void DebugFlush() { Deliver(); }

void DebugWriteLn(const std::string& text) {
  DebugWrite(text);
  DebugWrite("\n");
  Deliver();
}

void DebugWriteLnPid(const std::string& eventText) {
  DebugWriteLn(DbgUInt(CurrentProcessId()) + eventText);
}

std::string DbgInt(int32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%ld", static_cast<long>(v));
  return buf;
}

std::string DbgUInt(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%lu", static_cast<unsigned long>(v));
  return buf;
}

std::string DbgBool(bool v) { return v ? "TRUE" : "FALSE"; }

std::string DbgFloat(double v) {
  // Mantissa with 14 decimals, exponent with sign and four digits, sign position first.
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14E", v < 0 ? -v : v);
  char* e = std::strchr(buf, 'E');
  if (e == nullptr) return buf;  // inf or nan
  long exp = std::strtol(e + 1, nullptr, 10);
  *e = '\0';
  char out[64];
  std::snprintf(out, sizeof out, "%c%sE%c%04ld", v < 0 ? '-' : ' ', buf, exp < 0 ? '-' : '+',
                exp < 0 ? -exp : exp);
  return out;
}

}  // namespace vx
