#include "inflate_stream.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace vxpack {

StreamInfo InflateBlock(vx::ByteSource& src, uint64_t offset, uint64_t len,
                        std::vector<uint8_t>* content) {
  StreamInfo info;
  z_stream zs;
  std::memset(&zs, 0, sizeof zs);
  if (inflateInit(&zs) != Z_OK) {
    info.problem = "zlib could not start";
    return info;
  }
  std::vector<uint8_t> in(1 << 16), out(1 << 16);
  uint64_t pos = 0;
  int rc = Z_OK;
  while (rc != Z_STREAM_END) {
    if (zs.avail_in == 0) {
      if (pos == len) {
        info.problem = "the zlib stream is cut short";
        break;
      }
      const size_t want = static_cast<size_t>(std::min<uint64_t>(in.size(), len - pos));
      if (!src.ReadExact(offset + pos, in.data(), want)) {
        info.problem = "cannot read the block";
        break;
      }
      pos += want;
      zs.next_in = in.data();
      zs.avail_in = static_cast<uInt>(want);
    }
    zs.next_out = out.data();
    zs.avail_out = static_cast<uInt>(out.size());
    rc = inflate(&zs, Z_NO_FLUSH);
    if (rc == Z_NEED_DICT) {
      info.problem = "the zlib stream asks for a preset dictionary";
      break;
    }
    if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) {
      info.problem = std::string("zlib: ") + (zs.msg != nullptr ? zs.msg : "damaged data");
      break;
    }
    const size_t produced = out.size() - zs.avail_out;
    size_t i = 0;
    if (!info.headerEnded) {
      for (; i < produced; ++i) {
        if (out[i] == 0) {
          info.headerEnded = true;
          ++i;
          break;
        }
        if (info.header.size() < 4096) info.header += static_cast<char>(out[i]);
      }
    }
    info.contentSize += produced - i;
    if (content != nullptr) content->insert(content->end(), out.begin() + i, out.begin() + produced);
  }
  if (rc == Z_STREAM_END) {
    if (pos != len || zs.avail_in != 0)
      info.problem = "the zlib stream ends before the block does";
    else
      info.ok = true;
  }
  inflateEnd(&zs);
  return info;
}

}  // namespace vxpack
