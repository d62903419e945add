// The launcher's own 64-bit division against the compiler's.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "runtime/divide64.h"

namespace {

void ExpectSameAsCompiler(uint64_t n, uint64_t d) {
  SCOPED_TRACE(testing::Message() << n << " / " << d);
  uint64_t ur = 0;
  EXPECT_EQ(vx::DivideU64(n, d, &ur), n / d);
  EXPECT_EQ(ur, n % d);
  const int64_t sn = static_cast<int64_t>(n);
  const int64_t sd = static_cast<int64_t>(d);
  if (sd == -1 && sn == INT64_MIN) return;  // overflows for the compiler too
  int64_t sr = 0;
  EXPECT_EQ(vx::DivideI64(sn, sd, &sr), sn / sd);
  EXPECT_EQ(sr, sn % sd);
}

TEST(Divide64Test, EdgeCases) {
  const uint64_t values[] = {0, 1, 2, 3, 7, 10, 1000, 0xFFFFFFFFu, 0x100000000ull, 0x100000001ull,
                             0x7FFFFFFFFFFFFFFFull, 0x8000000000000000ull, 0x8000000000000001ull,
                             0xFFFFFFFFFFFFFFFEull, 0xFFFFFFFFFFFFFFFFull, 10000000000000000000ull};
  for (uint64_t n : values)
    for (uint64_t d : values)
      if (d != 0) ExpectSameAsCompiler(n, d);
}

TEST(Divide64Test, RandomOperandsOfEveryWidth) {
  std::mt19937_64 rng(20261210);
  for (int i = 0; i < 20000; ++i) {
    const uint64_t n = rng() >> (rng() % 64);
    const uint64_t d = rng() >> (rng() % 64);
    if (d != 0) ExpectSameAsCompiler(n, d);
  }
}

TEST(Divide64Test, NoRemainderWanted) {
  EXPECT_EQ(vx::DivideU64(1000000000000ull, 7, nullptr), 142857142857ull);
  EXPECT_EQ(vx::DivideI64(-1000000000000ll, 7, nullptr), -142857142857ll);
}

}  // namespace
