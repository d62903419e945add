// One complete zlib stream (RFC 1950) per call: libdeflate when built with it, zlib otherwise.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vxpack {

// Name of the encoder in use, e.g. "libdeflate 1.14" or "zlib 1.2.13".
const char* CompressorName();
// Highest level the encoder offers (12 for libdeflate, 9 for zlib); lower levels are faster.
int MaxCompressionLevel();
int DefaultCompressionLevel();

class Compressor {
 public:
  explicit Compressor(int level);
  ~Compressor();
  Compressor(const Compressor&) = delete;
  Compressor& operator=(const Compressor&) = delete;
  // Replaces out with the zlib stream of data; false only when memory runs out.
  bool Compress(const uint8_t* data, size_t len, std::vector<uint8_t>& out);

 private:
  int level_;
  void* handle_ = nullptr;  // libdeflate compressor, when used
};

}  // namespace vxpack
