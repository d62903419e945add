// zlib's inflate refers to crc32 for gzip streams only; packages hold zlib streams, whose check
// is Adler-32. This bitwise CRC-32 takes the place of zlib's table-driven one (about 8 KB of
// tables and code) in the shipped launcher: same function, same results, no tables.
#include <zlib.h>

extern "C" uLong crc32(uLong crc, const Bytef* buf, uInt len) {
  if (buf == Z_NULL) return 0;
  crc = ~crc & 0xffffffffUL;
  while (len-- > 0) {
    crc ^= *buf++;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xedb88320UL & (0UL - (crc & 1)));
  }
  return ~crc & 0xffffffffUL;
}
