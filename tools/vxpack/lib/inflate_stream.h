// Streaming inflation of one file block, for inspection and tests.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "package/byte_source.h"

namespace vxpack {

struct StreamInfo {
  bool ok = false;          // one complete zlib stream that uses exactly the block's bytes
  std::string problem;      // why not
  std::string header;       // inflated bytes before the first 0x00 (at most 4096 kept)
  bool headerEnded = false; // a 0x00 was found
  uint64_t contentSize = 0; // inflated bytes after the 0x00
};

// Inflates len bytes at offset of src; when content is not null the content bytes are kept.
StreamInfo InflateBlock(vx::ByteSource& src, uint64_t offset, uint64_t len,
                        std::vector<uint8_t>* content = nullptr);

}  // namespace vxpack
