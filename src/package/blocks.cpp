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

bool IsStringBlockText(const String& text) {
  if (text.empty()) return true;
  const unsigned cmf = static_cast<unsigned char>(text[0]);
  // A zlib header: deflate with a window of at most 32 KiB, and a check value that makes the two
  // bytes a multiple of 31.
  const bool zlibHeader = text.size() >= 2 && (cmf & 0x8F) == 8 &&
                          (cmf << 8 | static_cast<unsigned char>(text[1])) % 31 == 0;
  return !zlibHeader && text.back() == text.front() && text.find('\0') == String::npos;
}

BlockFault ReadStringBlock(ByteSource& src, uint64_t pos, uint64_t limit, PackageBlock& block,
                           String& text, bool checkForm) {
  text.clear();
  const BlockFault fault = ReadBlockAt(src, pos, limit, block);
  if (fault != BlockFault::kNone) return fault;
  if (block.length > kMaxStringBlock) return BlockFault::kTooLong;
  text.assign(block.length, '\0');
  if (block.length != 0 && !src.ReadExact(block.DataOffset(), &text[0], block.length)) {
    text.clear();
    return BlockFault::kUnreadable;
  }
  return !checkForm || IsStringBlockText(text) ? BlockFault::kNone : BlockFault::kNotText;
}

}  // namespace vx
