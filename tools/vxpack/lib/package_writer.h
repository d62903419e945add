// Writes the package layout: launcher bytes, string blocks, file blocks and a trailer per piece,
// then fixes up the package-end field and the checksum of every file it wrote.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "out_file.h"
#include "package/package.h"

namespace vxpack {

// Bytes 20..23 of a trailer written by vxpack hold the piece number (1 for the first piece and
// for single-file packages, 2, 3 ... for later pieces); the launcher does not read them.
constexpr size_t kPieceNumberOffset = 20;
// A piece must leave at least this much room for file blocks after its fixed content.
constexpr uint64_t kMinPieceRoom = 4096;
constexpr int kMaxPieces = 999;

struct PackageLayout {
  std::vector<uint8_t> launcher;          // empty: the package is written without a launcher
  std::vector<std::string> stringBlocks;  // language table, settings list [, web list]
  vx::TrailerRecord trailer{};            // flags and space table; the rest is set here
  uint64_t spanSize = 0;                  // 0: a single file; else the largest piece file
  bool signable = false;                  // set the package-end field of launcher files
};

// Serialises a trailer record field by field (little-endian).
std::vector<uint8_t> TrailerBytes(const vx::TrailerRecord& rec);

// Name of piece k (k >= 1) of a spanned package whose launcher is base: base + ".001" ...
std::string PiecePath(const std::string& base, int k);

class PackageWriter {
 public:
  // A single package at path, or for spanned layouts: the launcher at path (span flag, texts
  // only; skipped when there is no launcher) and the pieces path.001, path.002 ...
  bool Begin(const PackageLayout& layout, const std::string& path, std::string& error);
  // Bytes a block (with its 4-byte length) may take in the current piece; unlimited: UINT64_MAX.
  uint64_t Room() const;
  bool PieceHasFileBlocks() const { return blocksInPiece_ > 0; }
  bool Spanned() const { return layout_.spanSize != 0; }
  // Closes the current piece with its continuation flag set and opens the next one.
  bool NextPiece(std::string& error);
  bool WriteBlock(const std::vector<uint8_t>& zlibStream, std::string& error);
  // Writes the last trailer and fixes up every file. Every trailer written (pieces and span
  // launcher alike) then holds the file count of the whole package: the number of file blocks.
  // The trailer is outside the checksum, so the count is patched in once it is known.
  bool Finish(std::string& error);

  const std::vector<std::string>& Outputs() const { return outputs_; }
  int PieceCount() const { return piece_; }

 private:
  bool OpenPiece(int k, std::string& error);
  bool ClosePiece(bool continuation, std::string& error);

  PackageLayout layout_;
  std::string base_;
  OutFile out_;
  int piece_ = 0;
  uint32_t dataStart_ = 0;
  size_t blocksInPiece_ = 0;
  uint32_t fileBlocks_ = 0;
  std::vector<std::string> outputs_;
};

// Writes a package that holds only string blocks (span launcher, web launcher) to path.
bool WriteTextOnlyPackage(const std::string& path, const std::vector<uint8_t>& launcher,
                          const std::vector<std::string>& stringBlocks, vx::TrailerRecord trailer,
                          bool signable, std::string& error);

}  // namespace vxpack
