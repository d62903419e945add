// Extraction of a package: pieces in turn, the block loop, streaming inflation into files,
// the update agent, and the next-disk question. Memory use does not depend on block sizes.
#include "package/unpack.h"

#include <cstring>
#include <utility>
#include <vector>

#include "package/blocks.h"
#include "package/entry_name.h"
#include "package/file_block.h"
#include "system/debug.h"
#include "text/paths.h"
#include "text/utils.h"

namespace vx {
namespace {

// " (zlib: <its message>)." after a failure to inflate.
String ZLibNote(int code) {
  String note = " (zlib: ";
  note += ZLibMessage(code);
  note += ").";
  return note;
}

// The date item of a header: a decimal DOS date-time; 0 (leave the time) when not a number.
uint32_t ParseDosDate(const String& text) {
  int64_t v = 0;
  if (!TextToInt64(text, v) || v < INT32_MIN || v > static_cast<int64_t>(UINT32_MAX)) return 0;
  return static_cast<uint32_t>(v);
}

class Unpacker {
 public:
  Unpacker(const UnpackRequest& request, UnpackHost& host)
      : req_(request), host_(host), buffers_(kUnpackChunk) {}

  UnpackResult Run();

 private:
  class BlockFile;

  bool CheckTrailer();
  bool CheckFileBlockCount();
  bool ExtractPiece(ByteSource& src, uint64_t end);
  bool FileBlock(ByteSource& src, const PackageBlock& block);
  bool StartFile(BlockFile& b, const String& header, bool cut);
  bool FinishFile(BlockFile& b);
  // A file (relative name) that could not be written: the box for the first failure of the
  // process, and the failure.
  bool WriteFailed(const String& relative, const String& errorText, uint64_t dataSize);
  bool BuildAgent(ByteSource& src);
  bool Fail(UnpackFailure failure, const String& text);
  bool Damaged(UnpackFailure failure, const String& what) {
    return Fail(failure, "The package is damaged: " + what);
  }
  bool ReadFailed(uint64_t offset) {
    return Fail(UnpackFailure::kReadError,
                piece_.path + " could not be read at offset " + IntText(static_cast<int64_t>(offset)) + ".");
  }
  String TrailerGives() const { return "the trailer of " + piece_.path + " gives "; }
  String BlockWhere(int block) const {
    return "block " + IntText(block) + " of " + piece_.path;
  }

  const UnpackRequest& req_;
  UnpackHost& host_;
  BlockBuffers buffers_;
  UnpackResult result_;
  // The piece being read (its path, disk number and trailer), and what the host is told of it.
  UnpackHost::PieceReport piece_;
  int blockCounter_ = 0;
  uint64_t firstFileBlock_ = 0;
  TrailerRecord first_{};  // the first piece's trailer
  String lastFolder_;  // the last subfolder made, to skip repeated requests
};

// The target of one file block: opened when the block's header has come, written as the block
// is inflated.
class Unpacker::BlockFile : public FileBlockSink {
 public:
  BlockFile(Unpacker& unpacker, int number, uint32_t packedSize) : unpacker_(unpacker) {
    report.block = number;
    report.packedSize = packedSize;
  }

  bool Header(const String& header, bool cut) override { return unpacker_.StartFile(*this, header, cut); }
  bool Content(const uint8_t* data, size_t len) override {
    if (ignored) return true;
    report.size += len;
    // The first failed write ends the extraction: nothing more is inflated only to be dropped.
    if (out->Ok()) out->Write(data, len);
    return out->Ok() || unpacker_.FinishFile(*this);
  }
  void Breathe() override { unpacker_.host_.PumpMessages(); }

  // What the host is told of the file, filled in as the block is read: its number and packed
  // size, the names, the date, whether it was appended to, the content size and the outcome.
  UnpackHost::FileReport report;
  bool ignored = false;  // an empty header: the block is skipped
  std::unique_ptr<UnpackOutput> out;

 private:
  Unpacker& unpacker_;
};

bool Unpacker::Fail(UnpackFailure failure, const String& text) {
  result_.failure = failure;
  result_.errorText = text;
  DebugWriteLnPid(" Unpack stopped: ", text);
  return false;
}

UnpackResult Unpacker::Run() {
  const String base = PieceBase(req_.packagePath);
  piece_.path = req_.packagePath;
  piece_.disk = 1;
  std::memset(&piece_.trailer, 0, sizeof piece_.trailer);
  host_.Progress(0, 0, 0, 0, 1);
  blockCounter_ = 0;
  bool goOn = true;

  for (;;) {
    if (host_.PieceExists(piece_.path)) {
      std::unique_ptr<ByteSource> src = host_.OpenPiece(piece_.path);
      if (!src || !src->IsOpen()) {  // unreadable: fails its checksum test like a damaged piece
        result_.checksumOk = false;
        break;
      }
      ++result_.pieces;
      TrailerPlace place;
      if (LocateTrailer(*src, place) != TrailerFault::kNone || !ReadTrailerAt(*src, place, piece_.trailer))
        std::memset(&piece_.trailer, 0, sizeof piece_.trailer);
      if (piece_.disk == 1) DebugWriteLn("FileInfo.FilesCount=", DbgUInt(piece_.trailer.fileCount));
      const uint32_t sum = PackageChecksum(*src, piece_.trailer.length);
      result_.checksumOk = sum == piece_.trailer.checksum || sum == kChecksumPass;
      piece_.size = src->Size();
      piece_.checksumOk = result_.checksumOk;
      piece_.checksumSkipped = piece_.size > kChecksumSizeLimit;
      piece_.isPackage = piece_.trailer.magic == kPackageMagic;
      host_.NotePiece(piece_);
      if (!result_.checksumOk) break;
      if (piece_.trailer.magic != kPackageMagic) {
        // Later pieces without a package trailer are skipped (their blocks are then missing
        // from the count); a first piece without one has nothing to give.
        if (piece_.disk == 1) {
          Damaged(UnpackFailure::kBadTrailer, piece_.path + " has no package trailer.");
          break;
        }
      } else if (!CheckTrailer() || !ExtractPiece(*src, place.end)) {
        break;
      }
    }
    if ((piece_.trailer.flags & kFlagContinuation) == 0) break;
    host_.SuppressAutoPlay();
    ++piece_.disk;
    piece_.path = PiecePath(base, piece_.disk);
    if (req_.forcePrompt || !host_.PieceExists(piece_.path)) {
      host_.EjectMedium(piece_.path);
      do {
        if (!host_.AskForDisk(ReplaceAllCI(req_.promptText, "<DISK_NUM>", IntText(piece_.disk)))) goOn = false;
        host_.Wait(500);
      } while (goOn && !host_.PieceExists(piece_.path));
    }
    host_.Progress(1, 0, 0, 0, 0);
    if (!goOn) break;
  }

  if (!goOn) {
    result_.cancelled = true;
    result_.runCommand.clear();
  } else if (result_.checksumOk && result_.failure == UnpackFailure::kNone && result_.pieces > 0) {
    CheckFileBlockCount();
  }
  if (result_.failure != UnpackFailure::kNone) result_.runCommand.clear();
  host_.Wait(500);
  return std::move(result_);  // an unpacker runs once
}

// The trailer is outside the checksum, so its counts are checked against the format and the
// first piece: 2 or 3 string blocks (0 has been read as 2), and in every piece the same file
// count, that of the whole package.
bool Unpacker::CheckTrailer() {
  if (!StringBlockCountFits(piece_.trailer))
    return Damaged(UnpackFailure::kBadTrailer, TrailerGives() + IntText(piece_.trailer.stringBlockCount) +
                                                   " string blocks (a package has 2 or 3).");
  if (piece_.disk == 1) {
    first_ = piece_.trailer;
  } else if (piece_.trailer.fileCount != first_.fileCount) {
    return Damaged(UnpackFailure::kBadTrailer, TrailerGives() + DbgUInt(piece_.trailer.fileCount) +
                                                   " file blocks, the first piece " + DbgUInt(first_.fileCount) + ".");
  }
  return true;
}

// Once every piece is read, the file blocks found must be the trailer's file count.
bool Unpacker::CheckFileBlockCount() {
  const uint32_t found = static_cast<uint32_t>(result_.fileBlocks);
  if (FileBlockCountFits(first_, found)) return true;
  return Damaged(UnpackFailure::kBadTrailer, "it holds " + DbgUInt(found) + " file blocks, its trailer gives " +
                                                 DbgUInt(first_.fileCount) + ".");
}

bool Unpacker::ExtractPiece(ByteSource& src, uint64_t end) {
  uint64_t pos = piece_.trailer.dataStart;
  if (piece_.disk == 1) host_.Progress(0, 0, static_cast<int32_t>(piece_.trailer.fileCount), 0, 1);
  String dirError;
  if (!host_.CreateWorkFolder(dirError))
    host_.ShowError(req_.workFolder + "<P><P>Unable to create Directory!<P><P>" + dirError);
  if (pos > end || end - pos < kTrailerLength)
    return Damaged(UnpackFailure::kBlockPastEnd, "its data start lies past the end of " + piece_.path + ".");
  const int stringBlocks = piece_.trailer.stringBlockCount;
  // Blocks follow each other while more than the trailer's 74 bytes remain, and end before the
  // trailer (which the checksum leaves out).
  const uint64_t limit = end - piece_.trailer.length;
  while (static_cast<int64_t>(end - pos) > static_cast<int64_t>(kTrailerLength)) {
    host_.PumpMessages();
    PackageBlock block;
    const BlockFault fault = ReadBlockAt(src, pos, limit, block);
    if (fault == BlockFault::kNoLength && limit - pos >= 4)  // there is room for it: the read failed
      return ReadFailed(pos);
    ++blockCounter_;
    ++result_.blocks;
    if (fault != BlockFault::kNone)
      return Damaged(UnpackFailure::kBlockPastEnd, BlockWhere(blockCounter_) + " runs past the end of the file.");
    pos = block.End();
    if (blockCounter_ <= stringBlocks) {
      // The language, settings and web texts: a block without their form is damage (the
      // trailer's count of them is outside the checksum).
      if (!StringBlockFormAt(src, block))
        return Damaged(UnpackFailure::kBadTrailer, BlockWhere(blockCounter_) + " is not a string block.");
      if (blockCounter_ == stringBlocks) firstFileBlock_ = pos;
      continue;
    }
    ++result_.fileBlocks;
    if (!FileBlock(src, block)) return false;
  }
  if (blockCounter_ < stringBlocks)  // the trailer follows before the texts of the first piece
    return Damaged(UnpackFailure::kBadTrailer, "its string blocks are missing.");
  if (piece_.disk == 1 && !FileNamePart(req_.agentName).empty() &&
      (EndsWith(".exe", req_.packagePath, true) || EndsWith(".exe.001", req_.packagePath, true)))
    return BuildAgent(src);
  return true;
}

bool Unpacker::FileBlock(ByteSource& src, const PackageBlock& block) {
  BlockFile b(*this, blockCounter_, block.length);
  const FileBlockResult r = ReadFileBlock(src, block.DataOffset(), block.length, buffers_, b);
  switch (r.fault) {
    case FileBlockFault::kNone:
      break;
    case FileBlockFault::kStopped:  // by a failure already recorded
      return false;
    case FileBlockFault::kCannotStart:
      return Fail(UnpackFailure::kDamagedData, "The package cannot be inflated" + ZLibNote(r.zlibCode));
    case FileBlockFault::kUnreadable:
      return ReadFailed(r.where);
    case FileBlockFault::kDictionary:
    case FileBlockFault::kCutShort:  // the block ends before its stream: zlib wants more input
    case FileBlockFault::kDamaged: {
      const bool dictionary = r.fault == FileBlockFault::kDictionary;
      const char* const what = dictionary ? " asks for a preset dictionary" : " cannot be inflated";
      return Damaged(dictionary ? UnpackFailure::kNeedDictionary : UnpackFailure::kDamagedData,
                     BlockWhere(b.report.block) + what +
                         ZLibNote(r.fault == FileBlockFault::kCutShort ? -5 : r.zlibCode));
    }
  }
  // A stream without a 0x00 byte has an empty header: the block is ignored.
  return !b.out || FinishFile(b);
}

bool Unpacker::StartFile(BlockFile& b, const String& header, bool cut) {
  if (cut)
    return Damaged(UnpackFailure::kLongHeader, "the header of " + BlockWhere(b.report.block) + " is too long.");
  if (header.empty()) {
    b.ignored = true;
    return true;
  }
  const bool marked = header.find('*') != String::npos;
  if (marked) result_.runCommand = header;
  String name = ListItem(header, 0, "");
  b.report.dosDateTime = ParseDosDate(ListItem(header, 1, ""));
  const size_t star = name.find('*');
  if (star != String::npos) {
    result_.runCommand = name;
    name.resize(star);
  }
  b.report.name = name;
  // The name, and the program the setup is started as (the run command before its "*"), must be
  // file names below the work folder (a "*" outside the name item makes the whole header the run
  // command).
  String reason, program;
  const String& bad = !CheckEntryName(name, b.report.relative, reason) ? name
                      : marked && !CheckEntryName(Trim(result_.runCommand.substr(0, result_.runCommand.find('*'))), program, reason)
                          ? result_.runCommand
                          : String();
  if (!reason.empty())
    return Fail(UnpackFailure::kBadName, "The package holds a file name that cannot be used safely: \"" + bad +
                                             "\" (" + reason + ", " + BlockWhere(b.report.block) + ").");
  const String folder = EntryFolder(b.report.relative);
  if (!folder.empty() && folder != lastFolder_) {
    host_.CreateFolders(folder);
    lastFolder_ = folder;
  }
  b.out = host_.OpenOutput(b.report.relative, true, b.report.appended);
  if (!b.report.appended) host_.Progress(1, 0, 0, 0, 0);
  return true;
}

bool Unpacker::FinishFile(BlockFile& b) {
  UnpackHost::FileReport& report = b.report;
  const bool ok = b.out->Ok();
  if (ok && report.dosDateTime != 0) b.out->SetDosTime(report.dosDateTime);
  const String errorText = b.out->ErrorText();
  b.out.reset();  // closes the file
  ++result_.files;
  report.written = ok;
  host_.NoteFile(report);
  return ok || WriteFailed(report.relative, errorText, report.size);
}

bool Unpacker::WriteFailed(const String& relative, const String& errorText, uint64_t dataSize) {
  const String target = req_.workFolder + "\\" + relative;
  int& failures = host_.WriteFailureCount();
  if (++failures == 1) {
    host_.ShowError(target + "<P><P>Unable to save Extracted File!<P><P>" +
                    WriteFailureReport(errorText, dataSize, host_.TargetSize(relative), host_.FreeSpace(relative)));
  }
  return Fail(UnpackFailure::kWriteFailed, target + " could not be written: " + errorText);
}

bool Unpacker::BuildAgent(ByteSource& src) {
  TrailerRecord rec{};
  ReadTrailer(src, rec);
  String relative, reason;
  if (!CheckEntryName(req_.agentName, relative, reason))
    return Fail(UnpackFailure::kBadName, UnsafeAgentNameText(req_.agentName, reason));
  const String folder = EntryFolder(relative);
  if (!folder.empty()) host_.CreateFolders(folder);
  bool existed = false;
  std::unique_ptr<UnpackOutput> out = host_.OpenOutput(relative, false, existed);
  for (uint64_t pos = 0; pos < firstFileBlock_ && out->Ok();) {
    const uint64_t rest = firstFileBlock_ - pos;
    std::vector<uint8_t>& in = buffers_.in;
    const size_t n = rest < in.size() ? static_cast<size_t>(rest) : in.size();
    if (!src.ReadExact(pos, in.data(), n))
      return ReadFailed(pos);
    PatchAgentChunk(pos, in.data(), n);
    out->Write(in.data(), n);
    pos += n;
  }
  const TrailerRecord trailer = AgentTrailer(rec);
  out->Write(reinterpret_cast<const uint8_t*>(&trailer), sizeof trailer);
  // An agent that could not be written whole (a full disk) is a failed write like any other.
  if (!out->Ok()) return WriteFailed(relative, out->ErrorText(), firstFileBlock_ + sizeof trailer);
  const uint32_t date = host_.PieceDosTime(req_.packagePath);
  if (date != 0) out->SetDosTime(date);
  out.reset();
  DebugWriteLnPid(" New AU-Agent: ", req_.workFolder + "\\" + req_.agentName);
  return true;
}

}  // namespace

String WriteFailureReport(const String& errorText, uint64_t dataSize, uint64_t fileSize,
                          double bytesFree) {
  const int64_t freeBytes = bytesFree < -9.2e18 || bytesFree > 9.2e18 ? 0 : static_cast<int64_t>(bytesFree);
  return errorText + "<P>Data Size: <T>" + IntText(static_cast<int64_t>(dataSize)) + " Bytes<P>File Size: <T>" +
         IntText(static_cast<int64_t>(fileSize)) + " Bytes<P>Bytes Free: <T>" + IntText(freeBytes) + " Bytes";
}

String UnsafeAgentNameText(const String& agentName, const String& reason) {
  return "The package names an update agent that cannot be written safely: \"" + agentName + "\" (" + reason +
         ").";
}

void PatchAgentChunk(uint64_t offset, uint8_t* data, size_t len) {
  for (uint64_t i = kPackageEndOffset; i < kPackageEndOffset + 4; ++i)
    if (i >= offset && i < offset + len) data[i - offset] = 0;
  // The certificate table entry of the PE header (data directory 4, after the 96-byte optional
  // header fields of PE32 or the 112 of PE32+): a signed installer's signature lies beyond the
  // agent's end, so the agent carries no entry for it.
  const size_t magic = kPeHeaderOffset + 24;
  if (offset != 0 || len < magic + 2) return;
  const size_t entry = magic + (data[magic + 1] == 2 ? 112 : 96) + 32;
  if (len >= entry + 8) std::memset(data + entry, 0, 8);
}

TrailerRecord AgentTrailer(const TrailerRecord& pieceTrailer) {
  TrailerRecord t = pieceTrailer;
  t.agentFlag = 1;
  t.length = kTrailerLength;
  return t;
}

UnpackResult UnpackPackageWith(const UnpackRequest& request, UnpackHost& host) {
  Unpacker unpacker(request, host);
  return unpacker.Run();
}

}  // namespace vx
