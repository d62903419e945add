// zlib's checksum entry points for the launcher's zlib, in place of its adler32.c.
#include <zlib.h>

#include "runtime/adler32.h"

extern "C" {

uLong ZEXPORT adler32_z(uLong adler, const Bytef* buf, z_size_t len) {
  if (buf == Z_NULL) return 1;  // zlib's way of asking for the starting value
  return vx::Adler32(static_cast<uint32_t>(adler), buf, len);
}

uLong ZEXPORT adler32(uLong adler, const Bytef* buf, uInt len) { return adler32_z(adler, buf, len); }

}  // extern "C"
