#include "runtime/adler32.h"

namespace vx {

namespace {
constexpr uint32_t kBase = 65521;  // the largest prime below 65536
// The most bytes summed before the sums must be reduced: 255n(n+1)/2 + (n+1)(kBase-1) < 2^32.
constexpr size_t kMaxRun = 5552;
}  // namespace

uint32_t Adler32(uint32_t adler, const unsigned char* data, size_t len) {
  uint32_t a = adler & 0xFFFF;
  uint32_t b = adler >> 16;
  while (len > 0) {
    size_t n = len < kMaxRun ? len : kMaxRun;
    len -= n;
    do {
      a += *data++;
      b += a;
    } while (--n != 0);
    a %= kBase;
    b %= kBase;
  }
  return (b << 16) | a;
}

}  // namespace vx
