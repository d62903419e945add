// Streaming inflation of a file block: read in chunks, split at the first 0x00, passed on.
#include "package/file_block.h"

#include <cstring>

namespace vx {
namespace {

class BlockInflater {
 public:
  BlockInflater(BlockBuffers& buffers, FileBlockSink& sink, FileBlockResult& result)
      : buffers_(buffers), sink_(sink), result_(result) {}

  // Passes len inflated bytes on: header bytes until the first 0x00, content after it.
  bool Take(const uint8_t* data, size_t len) {
    if (!result_.headerEnded) {
      const void* zero = std::memchr(data, 0, len);
      const size_t take = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - data) : len;
      String& header = result_.header;
      const size_t room = kMaxBlockHeader - header.size();
      if (take > room) result_.headerCut = true;
      header.append(reinterpret_cast<const char*>(data), take < room ? take : room);
      if (zero == nullptr) return true;
      result_.headerEnded = true;
      if (!sink_.Header(header, result_.headerCut)) return false;
      data += take + 1;
      len -= take + 1;
    }
    if (len == 0) return true;
    result_.contentSize += len;
    return sink_.Content(data, len);
  }

  void Run(ByteSource& src, uint64_t offset, uint32_t length) {
    InflateStream zs;
    EZLibError err;
    if (!zs.Init(err)) {
      result_.fault = FileBlockFault::kCannotStart;
      result_.zlibCode = err.code;
      return;
    }
    std::vector<uint8_t>& in = buffers_.in;
    std::vector<uint8_t>& out = buffers_.out;
    uint64_t readPos = offset;
    uint64_t left = length;
    for (;;) {
      if (zs.InputLeft() == 0 && left > 0) {
        const size_t n = left < in.size() ? static_cast<size_t>(left) : in.size();
        if (!src.ReadExact(readPos, in.data(), n)) {
          result_.fault = FileBlockFault::kUnreadable;
          result_.where = readPos;
          return;
        }
        readPos += n;
        left -= n;
        zs.SetInput(in.data(), n);
        sink_.Breathe();
      }
      size_t produced = 0;
      const InflateStream::Step step = zs.Inflate(out.data(), out.size(), produced, err);
      if (produced > 0 && !Take(out.data(), produced)) {
        result_.fault = FileBlockFault::kStopped;
        return;
      }
      if (step == InflateStream::Step::kEnd) break;
      if (step == InflateStream::Step::kError) {
        result_.fault = err.code == 2 ? FileBlockFault::kDictionary : FileBlockFault::kDamaged;
        result_.zlibCode = err.code;
        result_.zlibDetail = zs.Detail();
        return;
      }
      if (step == InflateStream::Step::kStalled && left == 0 && zs.InputLeft() == 0) {
        result_.fault = FileBlockFault::kCutShort;
        return;
      }
      if (produced == out.size()) sink_.Breathe();
    }
    result_.unusedBytes = left + zs.InputLeft();
    if (!zs.End(err)) {
      result_.fault = FileBlockFault::kDamaged;
      result_.zlibCode = err.code;
    }
  }

 private:
  BlockBuffers& buffers_;
  FileBlockSink& sink_;
  FileBlockResult& result_;
};

}  // namespace

FileBlockResult ReadFileBlock(ByteSource& src, uint64_t offset, uint32_t length, BlockBuffers& buffers,
                              FileBlockSink& sink) {
  FileBlockResult result;
  BlockInflater inflater(buffers, sink, result);
  inflater.Run(src, offset, length);
  return result;
}

}  // namespace vx
