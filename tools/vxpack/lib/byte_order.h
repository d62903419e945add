// Little-endian stores for the package layout.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vxpack {

inline void StoreU32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

inline uint32_t LoadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

inline void AppendU32(std::vector<uint8_t>& out, uint32_t v) {
  uint8_t b[4];
  StoreU32(b, v);
  out.insert(out.end(), b, b + 4);
}

}  // namespace vxpack
