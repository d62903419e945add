// The launcher's Adler-32 against zlib's: whole buffers and the same bytes fed in pieces.
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <vector>

#include "runtime/adler32.h"

namespace {

TEST(Adler32Test, SameAsZlibForWholeBuffersAndPieces) {
  std::mt19937 rng(20261211);
  // Lengths around the reduction interval (5552), and all-0xFF bytes, the largest sums.
  const size_t lengths[] = {0, 1, 2, 15, 16, 17, 5551, 5552, 5553, 11104, 65536, 300001};
  for (size_t len : lengths) {
    for (int fill : {-1, 0xFF}) {
      SCOPED_TRACE(testing::Message() << len << " bytes, fill " << fill);
      std::vector<unsigned char> data(len);
      for (unsigned char& c : data) c = fill < 0 ? static_cast<unsigned char>(rng()) : static_cast<unsigned char>(fill);
      const uLong expected = adler32(adler32(0, Z_NULL, 0), data.data(), static_cast<uInt>(len));
      EXPECT_EQ(vx::Adler32(1, data.data(), len), expected);
      uint32_t pieces = 1;
      for (size_t at = 0; at < len;) {
        const size_t n = std::min<size_t>(len - at, 1 + rng() % 9000);
        pieces = vx::Adler32(pieces, data.data() + at, n);
        at += n;
      }
      EXPECT_EQ(pieces, expected);
    }
  }
}

}  // namespace
