// The compiler calls these for 64-bit / and % in 32-bit code; defined here, the support library's
// larger versions are not linked. Compiled without LTO: the calls appear only when code is
// generated, after link-time optimisation has decided which functions to keep.
#include "runtime/divide64.h"

#if defined(__i386__)

extern "C" {

uint64_t __udivmoddi4(uint64_t n, uint64_t d, uint64_t* remainder) { return vx::DivideU64(n, d, remainder); }
int64_t __divmoddi4(int64_t n, int64_t d, int64_t* remainder) { return vx::DivideI64(n, d, remainder); }
uint64_t __udivdi3(uint64_t n, uint64_t d) { return vx::DivideU64(n, d, nullptr); }
int64_t __divdi3(int64_t n, int64_t d) { return vx::DivideI64(n, d, nullptr); }

uint64_t __umoddi3(uint64_t n, uint64_t d) {
  uint64_t r = 0;
  vx::DivideU64(n, d, &r);
  return r;
}

int64_t __moddi3(int64_t n, int64_t d) {
  int64_t r = 0;
  vx::DivideI64(n, d, &r);
  return r;
}

}  // extern "C"

#endif
