// Small read helpers shared by the package reader's units.
#pragma once
#include <cstdint>

#include "package/byte_source.h"

namespace vx {

// Little-endian unsigned 32-bit value at offset; false when fewer than 4 bytes are there.
bool ReadU32At(ByteSource& src, uint64_t offset, uint32_t& value);
// The package-end field of a PE file (offset 252), 0 for other files.
int32_t PackageEndField(ByteSource& src);
// Where the trailer ends; false when the package-end field points past the end of the file.
bool LocatePackageEnd(ByteSource& src, uint64_t& end);

}  // namespace vx
