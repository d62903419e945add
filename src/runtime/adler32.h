// Adler-32, for the zlib inside the shipped launcher: zlib's own adler32.c unrolls its loop
// sixteen-fold (about 700 bytes of code); this is the same checksum as one short loop, about a
// quarter of that (runtime/adler32_zlib.cpp hands it to zlib). Portable, tested natively
// against zlib.
#pragma once
#include <cstddef>
#include <cstdint>

namespace vx {

// The checksum `adler` (1 to start) continued over len bytes at data.
uint32_t Adler32(uint32_t adler, const unsigned char* data, size_t len);

}  // namespace vx
