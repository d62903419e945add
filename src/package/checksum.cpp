// The additive package checksum: 32-bit words summed chunk by chunk, trailer excluded.
#include <cstring>
#include <vector>

#include "package/package.h"
#include "package/package_io.h"

namespace vx {
namespace {

constexpr size_t kChunk = 4096;         // the unit the sum is defined on
constexpr size_t kReadSize = 64 * kChunk;  // read larger pieces; split them into chunks below

// The little-endian word at p. A plain load (which even size-optimised builds keep inline),
// byte-swapped on big-endian processors.
inline uint32_t WordAt(const uint8_t* p) {
  uint32_t w;
  std::memcpy(&w, p, sizeof w);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  w = __builtin_bswap32(w);
#endif
  return w;
}

// The sum of count little-endian words at p (modulo 2^32), four words a round in two running
// sums, so that the additions do not wait for each other.
uint32_t SumWords(const uint8_t* p, size_t count) {
  uint32_t s0 = 0, s1 = 0;
  for (; count >= 4; count -= 4, p += 16) {
    s0 += WordAt(p) + WordAt(p + 4);
    s1 += WordAt(p + 8) + WordAt(p + 12);
  }
  for (; count > 0; --count, p += 4) s0 += WordAt(p);
  return s0 + s1;
}

// Adds the words of one chunk; n counts down by 4 per word and a word counts only while n, so
// lowered, is above 4: the first (n - 5) / 4 words of the chunk, all when n stays high enough.
void AddChunk(const uint8_t* p, size_t len, int64_t& n, uint32_t& sum) {
  const int64_t words = static_cast<int64_t>(len / 4);
  const int64_t counted = n < 5 ? 0 : (n - 5) / 4;
  sum += SumWords(p, static_cast<size_t>(counted < words ? counted : words));
  n -= 4 * words;
  if (n > 4) sum += kChecksumPass;
}

}  // namespace

uint32_t PackageSum(ByteSource& src, uint32_t trailerLength) {
  const int32_t e = PackageEndField(src);
  int64_t n = e > 0 ? e : static_cast<int64_t>(src.Size());
  n -= trailerLength;
  uint64_t offset = 0;
  if (e > 0) {
    offset = 512;
    n -= 512;
  }
  uint32_t sum = 0;
  std::vector<uint8_t> buf(kReadSize);
  for (;;) {
    const size_t got = src.ReadAt(offset, buf.data(), buf.size());
    offset += got;
    size_t pos = 0;
    while (got - pos >= kChunk) {
      AddChunk(buf.data() + pos, kChunk, n, sum);
      pos += kChunk;
    }
    if (got < buf.size()) {  // the short read that ends the loop is a chunk of its own
      AddChunk(buf.data() + pos, got - pos, n, sum);
      return sum;
    }
  }
}

uint32_t PackageChecksum(ByteSource& src, uint32_t trailerLength) {
  if (src.Size() > kChecksumSizeLimit) return kChecksumPass;
  return PackageSum(src, trailerLength);
}

}  // namespace vx
