// What one package file holds and everything found wrong with it, block by block, for the tools
// that show packages. It reads with the launcher's own readers (LocateTrailer, ReadTrailerAt,
// PackageSum, ReadBlockAt, ReadStringBlock, ReadFileBlock), so what it finds is what the
// launcher finds; tools only put the findings into words.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "package/byte_source.h"
#include "package/file_block.h"
#include "package/package.h"
#include "text/str.h"

namespace vx {

// Bytes 20..23 of a trailer are reserved (the launcher never reads them): the package writer
// records the piece number there, 1 for a single package or a first piece, 2, 3 ... for later
// pieces.
constexpr size_t kPieceNumberOffset = 20;

enum class PackageProblem {
  kCannotOpen,             // the file cannot be opened
  kTooSmall,               // found: the file size
  kEndPastFile,            // found: the package-end field; expected: the file size
  kEndTooSmall,            // found: the package-end field
  kNoTrailer,              // found: the length field at the end (of the file or the package end)
  kBadMagic,               // found: the trailer's magic number; expected: kPackageMagic
  kShortTrailer,           // found: the trailer's length; expected: 74
  kChecksumMismatch,       // found: the checksum computed; expected: the trailer's
  kBadStringBlockCount,    // found: the trailer's string-block count
  kDataStartPastTrailer,   // found: the data start; expected: the trailer's start
  kNoRoomForLength,        // block: no room for its length field before the trailer
  kBlockPastTrailer,       // block: found: its length; expected: the trailer's start
  kStringBlockTooLong,     // block: found: its length; expected: kMaxStringBlock
  kNotAStringBlock,        // block: a string block without a string block's form (HasStringBlockForm)
  kDamagedBlock,           // block: a file block that cannot be extracted (its report tells why)
  kFileBlockCount,         // found: file blocks in the file; expected: the trailer's file count
};

struct PackageFinding {
  PackageProblem problem;
  int block = 0;          // the block concerned (1-based), 0 for the file or its trailer
  uint64_t offset = 0;    // the block's offset (its length field)
  uint64_t found = 0;     // the value read
  uint64_t expected = 0;  // the value the layout asks for, or the limit that was passed
};

struct BlockReport {
  uint64_t offset = 0;       // of its length field
  uint32_t length = 0;       // bytes after the length field
  int stringBlock = 0;       // 1 to 3 for the string blocks, 0 for file blocks
  FileBlockResult inflated;  // what inflating a file block found, its header included
};

// Whether a file block's report shows damage: a zlib stream that does not fill its block
// exactly, a header without its 0x00 byte or one too long to be a file name.
bool IsDamagedBlock(const BlockReport& block);

struct PackageReport {
  uint64_t fileSize = 0;
  bool isPe = false;
  int32_t packageEnd = 0;    // the package-end field of a PE file
  uint64_t end = 0;          // where the trailer ends
  bool hasTrailer = false;   // a trailer with the package magic number was found
  TrailerRecord trailer{};   // as ReadTrailerAt gives it
  uint8_t storedCount = 0;   // the string-block count as stored (0 reads as 2)
  uint32_t pieceNumber = 0;  // recorded by the package writer; 0 when not recorded
  bool laterPiece = false;   // piece 2, 3 ...: file blocks only
  uint32_t computedSum = 0;
  bool overSizeLimit = false;  // too large for the checksum test: it passes untested
  bool checksumOk = false;
  std::vector<String> strings;        // language table, settings list, web list as read
  std::vector<BlockReport> blocks;    // every block read, string blocks included
  std::vector<PackageFinding> findings;  // in the order found; empty: a valid package
};

// Reads the package in src, whose file name is name (a name ending in ".002" and so on marks a
// later piece when its trailer records no piece number). Never fails: what cannot be read is a
// finding.
PackageReport ReadPackageReport(ByteSource& src, const String& name);

}  // namespace vx
