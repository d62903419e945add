// One file block inflated while it is read: its header (the text before the first 0x00 byte) and
// then its content, piece by piece, to a sink. Memory use does not depend on the block's size.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "package/byte_source.h"
#include "package/zlib_stream.h"
#include "text/str.h"

namespace vx {

constexpr size_t kMaxBlockHeader = 32768;  // far beyond any usable file name

class FileBlockSink {
 public:
  // The header, once the 0x00 after it has been inflated: at most kMaxBlockHeader bytes, with
  // cut set when it was longer. Not called for a block without a 0x00. False stops the reading.
  virtual bool Header(const String& header, bool cut) = 0;
  // Content bytes in the order inflated; false stops the reading.
  virtual bool Content(const uint8_t* data, size_t len) = 0;
  // After each read from the piece and each full output buffer: a moment to pump messages.
  virtual void Breathe() {}

 protected:
  ~FileBlockSink() = default;  // sinks live on the stack of whoever reads the block
};

enum class FileBlockFault {
  kNone,
  kStopped,      // the sink stopped the reading
  kCannotStart,  // zlib could not start
  kUnreadable,   // the piece could not be read at `where`
  kDamaged,      // zlib found the data damaged
  kDictionary,   // the stream asks for a preset dictionary, which a package never supplies
  kCutShort,     // the stream needs more bytes than the block holds
};

struct FileBlockResult {
  FileBlockFault fault = FileBlockFault::kNone;
  int zlibCode = 0;                  // zlib's result with kCannotStart, kDamaged, kDictionary
                                     // (ZLibMessage gives its text)
  const char* zlibDetail = nullptr;  // zlib's own (static) words for damaged data, when it gave any
  uint64_t where = 0;                // kUnreadable: the offset of the read that failed
  String header;                     // the bytes before the 0x00 (all bytes inflated when none
                                     // came), at most kMaxBlockHeader of them
  bool headerEnded = false;          // a 0x00 ended the header
  bool headerCut = false;            // the header was longer than kMaxBlockHeader
  uint64_t contentSize = 0;          // content bytes inflated
  uint64_t unusedBytes = 0;          // bytes of the block after the end of its stream
};

// Read and inflate buffers, kept from block to block.
struct BlockBuffers {
  explicit BlockBuffers(size_t size) : in(size), out(size) {}
  std::vector<uint8_t> in;
  std::vector<uint8_t> out;
};

// Inflates the length bytes at offset (one file block's zlib stream) into sink.
FileBlockResult ReadFileBlock(ByteSource& src, uint64_t offset, uint32_t length, BlockBuffers& buffers,
                              FileBlockSink& sink);

}  // namespace vx
