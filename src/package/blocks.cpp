// Block lengths and string blocks, checked against the room the piece leaves them.
#include "package/blocks.h"

#include "package/package.h"
#include "package/package_io.h"

namespace vx {

BlockFault ReadBlockAt(ByteSource& src, uint64_t pos, uint64_t limit, PackageBlock& block) {
  block.offset = pos;
  block.length = 0;
  if (pos > limit || limit - pos < 4 || !ReadU32At(src, pos, block.length)) return BlockFault::kNoLength;
  return block.length > limit - pos - 4 ? BlockFault::kPastLimit : BlockFault::kNone;
}

BlockFault ReadStringBlock(ByteSource& src, uint64_t pos, uint64_t limit, PackageBlock& block,
                           String& text) {
  text.clear();
  const BlockFault fault = ReadBlockAt(src, pos, limit, block);
  if (fault != BlockFault::kNone) return fault;
  if (block.length > kMaxStringBlock) return BlockFault::kTooLong;
  text.assign(block.length, '\0');
  if (block.length != 0 && !src.ReadExact(block.DataOffset(), &text[0], block.length)) {
    text.clear();
    return BlockFault::kUnreadable;
  }
  return BlockFault::kNone;
}

bool HasStringBlockForm(uint32_t length, uint8_t first, uint8_t second, uint8_t last) {
  // A zlib header: deflate with a window of at most 32 KiB, and a check value that makes the two
  // bytes a multiple of 31.
  const bool zlibHeader = length >= 2 && (first & 0x8F) == 8 && (first << 8 | second) % 31 == 0;
  return length == 0 || (!zlibHeader && first == last);
}

bool StringBlockFormAt(ByteSource& src, const PackageBlock& block) {
  uint8_t b[3] = {0, 0, 0};
  if (block.length == 0) return true;
  return src.ReadExact(block.DataOffset(), b, block.length > 1 ? 2 : 1) && src.ReadExact(block.End() - 1, b + 2, 1) &&
         HasStringBlockForm(block.length, b[0], b[1], b[2]);
}

}  // namespace vx
