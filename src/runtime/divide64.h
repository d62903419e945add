// 64-bit division by shifting and subtracting, for the shipped 32-bit launcher: the compiler's
// own helpers for 64-bit / and % (five routines of the compiler's support library, about 2 KB)
// are replaced by these few lines (runtime/divide64_i386.cpp). Portable, tested natively.
#pragma once
#include <cstdint>

namespace vx {

// n / d, and n % d into *remainder when given. d must not be 0.
uint64_t DivideU64(uint64_t n, uint64_t d, uint64_t* remainder);
// The same for signed numbers: the quotient rounds toward zero, the remainder takes n's sign.
int64_t DivideI64(int64_t n, int64_t d, int64_t* remainder);

}  // namespace vx
