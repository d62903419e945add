// The blocks of a package: each a 32-bit length and that many bytes, one after the other from
// the data start. The first two or three of a first piece are string blocks (texts), the rest
// file blocks (one zlib stream each, read by ReadFileBlock).
#pragma once
#include <cstdint>

#include "package/byte_source.h"
#include "text/str.h"

namespace vx {

struct PackageBlock {
  uint64_t offset = 0;  // of its length field
  uint32_t length = 0;  // bytes after the length field
  uint64_t DataOffset() const { return offset + 4; }
  uint64_t End() const { return offset + 4 + length; }
};

enum class BlockFault {
  kNone,
  kNoLength,    // no room for the length field before the limit, or it cannot be read
  kPastLimit,   // the block's bytes run past the limit
  kTooLong,     // a string block longer than kMaxStringBlock
  kUnreadable,  // the block's bytes cannot be read
};

// The block at pos, which must end at limit at the latest. block.length holds the length field
// whenever it could be read.
BlockFault ReadBlockAt(ByteSource& src, uint64_t pos, uint64_t limit, PackageBlock& block);

// A string block at pos (ending at limit at the latest) and its text, which is read only when it
// holds at most kMaxStringBlock bytes.
BlockFault ReadStringBlock(ByteSource& src, uint64_t pos, uint64_t limit, PackageBlock& block,
                           String& text);

// Whether a block read as a string block has a string block's form, which its length, its first
// two and its last byte tell: it is empty, or a list that ends with its first character and does
// not begin as a zlib stream does. Every file block begins so (or cannot be inflated), so a file
// block read as a string block, as when the trailer's string-block count (outside the checksum)
// is too high, never has this form.
bool HasStringBlockForm(uint32_t length, uint8_t first, uint8_t second, uint8_t last);
// The same for a block in src; false also when its bytes cannot be read.
bool StringBlockFormAt(ByteSource& src, const PackageBlock& block);

}  // namespace vx
