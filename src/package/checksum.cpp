// The additive package checksum: 32-bit words summed chunk by chunk, trailer excluded.
#include <vector>

#include "package/package.h"
#include "package/package_io.h"

namespace vx {
namespace {

constexpr size_t kChunk = 4096;         // the unit the sum is defined on
constexpr size_t kReadSize = 16 * kChunk;  // read larger pieces; split them into chunks below

inline uint32_t WordAt(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// Adds the words of one chunk; n counts down by 4 per word and words count only while n > 4.
void AddChunk(const uint8_t* p, size_t len, int64_t& n, uint32_t& sum) {
  const size_t words = len / 4;
  if (n - 4 * static_cast<int64_t>(words) > 4) {
    for (size_t i = 0; i < words; ++i) sum += WordAt(p + 4 * i);
    n -= 4 * static_cast<int64_t>(words);
  } else {
    for (size_t i = 0; i < words; ++i) {
      n -= 4;
      if (n > 4) sum += WordAt(p + 4 * i);
    }
  }
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
