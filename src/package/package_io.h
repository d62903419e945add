// Little-endian numbers of the package layout, and small read helpers shared by the package
// reader's units and the package tool.
#pragma once
#include <cstdint>

#include "package/byte_source.h"

namespace vx {

inline uint32_t LoadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

inline void StoreU32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

// Little-endian unsigned 32-bit value at offset; false when fewer than 4 bytes are there.
bool ReadU32At(ByteSource& src, uint64_t offset, uint32_t& value);
// The package-end field of a PE file (offset 252), 0 for other files.
int32_t PackageEndField(ByteSource& src);

}  // namespace vx
