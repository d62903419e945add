#include "package_writer.h"

#include "package/file_source.h"
#include "package/package_io.h"

namespace vxpack {
namespace {

using vx::StoreU32;

bool IsPeImage(const std::vector<uint8_t>& b) {
  return b.size() >= vx::kPeHeaderOffset + 2 && b[0] == 'M' && b[1] == 'Z' &&
         b[vx::kPeHeaderOffset] == 'P' && b[vx::kPeHeaderOffset + 1] == 'E';
}

// The launcher as written: its package-end field cleared (set later for signable files).
std::vector<uint8_t> CleanLauncher(const std::vector<uint8_t>& launcher) {
  std::vector<uint8_t> b = launcher;
  if (IsPeImage(b)) StoreU32(b.data() + vx::kPackageEndOffset, 0);
  return b;
}

bool WriteStringBlocks(OutFile& out, const std::vector<std::string>& blocks) {
  for (const std::string& s : blocks) {
    uint8_t len[4];
    StoreU32(len, static_cast<uint32_t>(s.size()));
    if (!out.Write(len, 4) || !out.Write(s.data(), s.size())) return false;
  }
  return true;
}

// Appends the trailer, closes the file, sets the package-end field when asked and stores the
// checksum, which leaves out the trailer and (with a package end) the first 512 bytes.
bool CloseWithTrailer(OutFile& out, vx::TrailerRecord rec, bool setPackageEnd, std::string& error) {
  rec.format = 1;
  rec.magic = vx::kPackageMagic;
  rec.length = vx::kTrailerLength;
  rec.checksum = 0;
  const std::string path = out.Path();
  if (!out.Write(TrailerBytes(rec)) || !out.Close()) {
    error = "cannot write " + path;
    return false;
  }
  const uint64_t size = out.Size();
  if (setPackageEnd) {
    if (size > 0x7FFFFFFF) {
      error = "a signable package must stay below 2 GiB: " + path;
      return false;
    }
    uint8_t e[4];
    StoreU32(e, static_cast<uint32_t>(size));
    if (!PatchFile(path, vx::kPackageEndOffset, e, 4)) {
      error = "cannot update " + path;
      return false;
    }
  }
  uint32_t sum = 0;
  {
    vx::FileSource src(path);
    if (!src.IsOpen() || src.Size() != size) {
      error = "cannot read back " + path;
      return false;
    }
    sum = vx::PackageSum(src, vx::kTrailerLength);
  }
  uint8_t s[4];
  StoreU32(s, sum);
  if (!PatchFile(path, size - vx::kTrailerLength + 16, s, 4)) {
    error = "cannot update " + path;
    return false;
  }
  return true;
}

}  // namespace

std::vector<uint8_t> TrailerBytes(const vx::TrailerRecord& rec) {
  std::vector<uint8_t> b(vx::kTrailerLength, 0);
  b[0] = rec.format;
  b[1] = rec.stringBlockCount;
  StoreU32(&b[4], rec.dataStart);
  StoreU32(&b[8], rec.fileCount);
  StoreU32(&b[12], rec.magic);
  StoreU32(&b[16], rec.checksum);
  for (int i = 0; i < 8; ++i) b[20 + i] = rec.reserved[i];
  for (int i = 0; i < 9; ++i) StoreU32(&b[28 + 4 * i], rec.space[i]);
  b[64] = rec.reserved2;
  b[65] = rec.flags;
  b[66] = rec.webFlag;
  b[67] = rec.askDownloadFlag;
  b[68] = rec.makeAgentFlag;
  b[69] = rec.agentFlag;
  StoreU32(&b[70], rec.length);
  return b;
}

std::string PiecePath(const std::string& base, int k) { return vx::PiecePath(base, k); }

bool WriteTextOnlyPackage(const std::string& path, const std::vector<uint8_t>& launcher,
                          const std::vector<std::string>& stringBlocks, vx::TrailerRecord trailer,
                          bool signable, std::string& error) {
  OutFile out;
  const std::vector<uint8_t> clean = CleanLauncher(launcher);
  if (!out.Create(path)) {
    error = "cannot create " + path;
    return false;
  }
  if (!out.Write(clean) || !WriteStringBlocks(out, stringBlocks)) {
    error = "cannot write " + path;
    return false;
  }
  trailer.stringBlockCount = static_cast<uint8_t>(stringBlocks.size());
  trailer.dataStart = static_cast<uint32_t>(clean.size());
  StoreU32(trailer.reserved, 1);
  return CloseWithTrailer(out, trailer, signable && IsPeImage(clean), error);
}

bool PackageWriter::Begin(const PackageLayout& layout, const std::string& path, std::string& error) {
  layout_ = layout;
  layout_.trailer.flags &= static_cast<uint8_t>(~(vx::kFlagContinuation | vx::kFlagSpan));
  base_ = path;
  outputs_.clear();
  piece_ = 0;
  fileBlocks_ = 0;
  if (Spanned() && !layout_.launcher.empty()) {
    vx::TrailerRecord t = layout_.trailer;
    t.flags |= vx::kFlagSpan;
    if (!WriteTextOnlyPackage(path, layout_.launcher, layout_.stringBlocks, t, layout_.signable, error))
      return false;
    outputs_.push_back(path);
  }
  if (!OpenPiece(1, error)) return false;
  if (Spanned() && Room() < kMinPieceRoom) {
    error = "span size " + std::to_string(layout_.spanSize) + " is too small: the launcher and texts of the first piece take " +
            std::to_string(out_.Size()) + " bytes";
    return false;
  }
  return true;
}

bool PackageWriter::OpenPiece(int k, std::string& error) {
  if (k > kMaxPieces) {
    error = "more than " + std::to_string(kMaxPieces) + " pieces; choose a larger span size";
    return false;
  }
  const std::string path = Spanned() ? PiecePath(base_, k) : base_;
  if (!out_.Create(path)) {
    error = "cannot create " + path;
    return false;
  }
  outputs_.push_back(path);
  piece_ = k;
  blocksInPiece_ = 0;
  bool ok = true;
  if (k == 1) {
    const std::vector<uint8_t> clean = CleanLauncher(layout_.launcher);
    ok = out_.Write(clean) && WriteStringBlocks(out_, layout_.stringBlocks);
    dataStart_ = static_cast<uint32_t>(clean.size());
  } else {
    dataStart_ = 0;  // later pieces hold file blocks only
  }
  if (!ok) error = "cannot write " + path;
  return ok;
}

bool PackageWriter::ClosePiece(bool continuation, std::string& error) {
  vx::TrailerRecord t = layout_.trailer;
  if (continuation) t.flags |= vx::kFlagContinuation;
  t.stringBlockCount = piece_ == 1 ? static_cast<uint8_t>(layout_.stringBlocks.size()) : 2;
  t.dataStart = dataStart_;
  StoreU32(t.reserved, static_cast<uint32_t>(piece_));
  // Only a launcher that is run gets a package end; a first piece copies the launcher for the
  // update agent, which clears that field anyway.
  const bool setEnd = layout_.signable && !Spanned() && IsPeImage(layout_.launcher);
  return CloseWithTrailer(out_, t, setEnd, error);
}

uint64_t PackageWriter::Room() const {
  if (!Spanned()) return UINT64_MAX;
  const uint64_t used = out_.Size() + vx::kTrailerLength;
  return used >= layout_.spanSize ? 0 : layout_.spanSize - used;
}

bool PackageWriter::NextPiece(std::string& error) {
  return ClosePiece(true, error) && OpenPiece(piece_ + 1, error);
}

bool PackageWriter::WriteBlock(const std::vector<uint8_t>& z, std::string& error) {
  if (z.size() > 0xFFFFFFFFu) {
    error = "block too large";
    return false;
  }
  uint8_t len[4];
  StoreU32(len, static_cast<uint32_t>(z.size()));
  if (!out_.Write(len, 4) || !out_.Write(z)) {
    error = "cannot write " + out_.Path();
    return false;
  }
  ++blocksInPiece_;
  ++fileBlocks_;
  return true;
}

bool PackageWriter::Finish(std::string& error) {
  if (!ClosePiece(false, error)) return false;
  uint8_t count[4];
  StoreU32(count, fileBlocks_);
  for (const std::string& path : outputs_) {
    uint64_t size = 0;
    {
      vx::FileSource src(path);
      size = src.IsOpen() ? src.Size() : 0;
    }
    if (size < vx::kTrailerLength || !PatchFile(path, size - vx::kTrailerLength + 8, count, 4)) {
      error = "cannot update " + path;
      return false;
    }
  }
  return true;
}

}  // namespace vxpack
