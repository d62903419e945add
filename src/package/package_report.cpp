// The package report: trailer, checksum, string blocks and every block, with what is wrong.
#include "package/package_report.h"

#include <cstddef>

#include "package/blocks.h"
#include "package/package_io.h"

namespace vx {
namespace {

static_assert(offsetof(TrailerRecord, reserved) == kPieceNumberOffset,
              "the piece number is the first reserved word of the trailer");

// A file block's content is inflated and counted only.
class BlockProbe : public FileBlockSink {
 public:
  bool Header(const String&, bool) override { return true; }
  bool Content(const uint8_t*, size_t) override { return true; }
};

void Add(PackageReport& r, PackageProblem problem, uint64_t found = 0, uint64_t expected = 0) {
  PackageFinding f;
  f.problem = problem;
  f.found = found;
  f.expected = expected;
  r.findings.push_back(f);
}

void AddAtBlock(PackageReport& r, PackageProblem problem, int block, uint64_t offset, uint64_t found = 0,
                uint64_t expected = 0) {
  Add(r, problem, found, expected);
  r.findings.back().block = block;
  r.findings.back().offset = offset;
}

// Finds and reads the trailer; false (with the finding) when the file has none.
bool ReadReportTrailer(ByteSource& src, PackageReport& r, TrailerPlace& place) {
  const TrailerFault fault = LocateTrailer(src, place);
  r.isPe = place.isPe;
  r.packageEnd = place.endField;
  r.end = place.end;
  switch (fault) {
    case TrailerFault::kNone:
      break;
    case TrailerFault::kCannotRead:
      Add(r, PackageProblem::kCannotOpen);
      return false;
    case TrailerFault::kTooSmall:
      Add(r, PackageProblem::kTooSmall, r.fileSize);
      return false;
    case TrailerFault::kEndPastFile:
      Add(r, PackageProblem::kEndPastFile, static_cast<uint64_t>(place.endField), r.fileSize);
      return false;
    case TrailerFault::kEndTooSmall:
      Add(r, PackageProblem::kEndTooSmall, static_cast<uint64_t>(place.endField));
      return false;
    case TrailerFault::kBadLength:
      Add(r, PackageProblem::kNoTrailer, place.length);
      return false;
  }
  ReadTrailerAt(src, place, r.trailer);
  src.ReadExact(place.start + 1, &r.storedCount, 1);
  if (r.trailer.magic != kPackageMagic) {
    Add(r, PackageProblem::kBadMagic, r.trailer.magic, kPackageMagic);
    return false;
  }
  if (place.length < kTrailerLength) Add(r, PackageProblem::kShortTrailer, place.length, kTrailerLength);
  r.hasTrailer = true;
  return true;
}

// Every block from the data start up to the trailer: the string blocks (none in a later piece)
// are read as texts, file blocks inflated. A block must end before the trailer starts.
void ReadReportBlocks(ByteSource& src, PackageReport& r, uint64_t trailerStart) {
  uint64_t pos = r.trailer.dataStart;
  if (pos > trailerStart) {
    Add(r, PackageProblem::kDataStartPastTrailer, pos, trailerStart);
    return;
  }
  const int strings = r.laterPiece ? 0 : r.trailer.stringBlockCount;
  BlockBuffers buffers(size_t(1) << 16);
  for (int index = 1; pos < trailerStart || index <= strings; ++index) {
    BlockReport b;
    b.offset = pos;
    b.stringBlock = index <= strings ? index : 0;
    PackageBlock block;
    String text;
    const BlockFault fault = b.stringBlock != 0 ? ReadStringBlock(src, pos, trailerStart, block, text)
                                                : ReadBlockAt(src, pos, trailerStart, block);
    b.length = block.length;
    if (fault == BlockFault::kNoLength) {
      AddAtBlock(r, PackageProblem::kNoRoomForLength, index, pos);
      return;
    }
    if (fault == BlockFault::kPastLimit) {
      AddAtBlock(r, PackageProblem::kBlockPastTrailer, index, pos, block.length, trailerStart);
      return;
    }
    if (fault == BlockFault::kTooLong)
      AddAtBlock(r, PackageProblem::kStringBlockTooLong, index, pos, block.length, kMaxStringBlock);
    if (b.stringBlock != 0 && fault == BlockFault::kNone && !StringBlockFormAt(src, block))
      AddAtBlock(r, PackageProblem::kNotAStringBlock, index, pos);
    if (b.stringBlock != 0) {
      r.strings.push_back(text);
    } else {
      BlockProbe probe;
      b.inflated = ReadFileBlock(src, block.DataOffset(), block.length, buffers, probe);
      if (IsDamagedBlock(b)) AddAtBlock(r, PackageProblem::kDamagedBlock, index, pos);
    }
    r.blocks.push_back(b);
    pos = block.End();
  }
}

}  // namespace

bool IsDamagedBlock(const BlockReport& block) {
  const FileBlockResult& f = block.inflated;
  return block.stringBlock == 0 &&
         (f.fault != FileBlockFault::kNone || f.unusedBytes != 0 || !f.headerEnded || f.headerCut);
}

PackageReport ReadPackageReport(ByteSource& src, const String& name) {
  PackageReport r;
  r.fileSize = src.IsOpen() ? src.Size() : 0;
  TrailerPlace place;
  if (!ReadReportTrailer(src, r, place)) return r;
  r.overSizeLimit = r.fileSize > kChecksumSizeLimit;
  r.computedSum = PackageSum(src, r.trailer.length);
  r.checksumOk = r.overSizeLimit || r.computedSum == r.trailer.checksum;
  if (!r.checksumOk) Add(r, PackageProblem::kChecksumMismatch, r.computedSum, r.trailer.checksum);
  r.pieceNumber = LoadU32(r.trailer.reserved);
  r.laterPiece = r.pieceNumber >= 2 || (r.pieceNumber == 0 && PieceNumberInName(name) >= 2);
  // The trailer is outside the checksum: its counts are checked as extraction checks them.
  if (!StringBlockCountFits(r.trailer)) {
    Add(r, PackageProblem::kBadStringBlockCount, r.trailer.stringBlockCount);
    return r;
  }
  ReadReportBlocks(src, r, place.start);
  // A package in one file holds as many file blocks as its file count (a span or web launcher
  // none); the pieces of a spanned package share the count of the whole.
  uint64_t fileBlocks = 0;
  for (const BlockReport& b : r.blocks)
    if (b.stringBlock == 0) ++fileBlocks;
  if (r.findings.empty() && !r.laterPiece && (r.trailer.flags & kFlagContinuation) == 0 &&
      !FileBlockCountFits(r.trailer, fileBlocks))
    Add(r, PackageProblem::kFileBlockCount, fileBlocks, r.trailer.fileCount);
  return r;
}

}  // namespace vx
