#include "runtime/divide64.h"

namespace vx {

uint64_t DivideU64(uint64_t n, uint64_t d, uint64_t* remainder) {
  uint64_t q = 0;
  uint64_t r = 0;
  if ((n >> 32) == 0 && (d >> 32) == 0) {
    // Both fit in 32 bits: the processor's own division.
    const uint32_t n32 = static_cast<uint32_t>(n);
    const uint32_t d32 = static_cast<uint32_t>(d);
    q = n32 / d32;
    r = n32 % d32;
  } else if ((d >> 63) != 0) {
    // A divisor of 2^63 or more goes at most once (and shifting the remainder would overflow).
    q = n >= d ? 1 : 0;
    r = q != 0 ? n - d : n;
  } else {
    for (int bit = 63; bit >= 0; --bit) {
      r = (r << 1) | ((n >> bit) & 1);
      if (r >= d) {
        r -= d;
        q |= uint64_t{1} << bit;
      }
    }
  }
  if (remainder != nullptr) *remainder = r;
  return q;
}

int64_t DivideI64(int64_t n, int64_t d, int64_t* remainder) {
  const bool negN = n < 0;
  const bool negD = d < 0;
  const uint64_t un = negN ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
  const uint64_t ud = negD ? 0 - static_cast<uint64_t>(d) : static_cast<uint64_t>(d);
  uint64_t ur = 0;
  const uint64_t uq = DivideU64(un, ud, &ur);
  if (remainder != nullptr) *remainder = static_cast<int64_t>(negN ? 0 - ur : ur);
  return static_cast<int64_t>(negN != negD ? 0 - uq : uq);
}

}  // namespace vx
