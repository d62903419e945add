// MemorySource: bounded random-access reads from memory.
#include "package/byte_source.h"

#include <cstring>

namespace vx {

size_t MemorySource::ReadAt(uint64_t offset, void* buf, size_t len) {
  if (len == 0 || offset >= data_.size()) return 0;
  if (len > data_.size() - offset) len = static_cast<size_t>(data_.size() - offset);
  std::memcpy(buf, data_.data() + offset, len);
  return len;
}

}  // namespace vx
