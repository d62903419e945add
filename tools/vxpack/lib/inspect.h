// vxpack inspect: everything a package file holds, and why a file is not a valid package.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "package/package.h"

namespace vxpack {

struct BlockEntry {
  uint64_t offset = 0;  // of the length field
  uint32_t length = 0;  // compressed bytes
  int stringBlock = 0;  // 1..3 for string blocks, 0 for file blocks
  std::string name;     // name item of the header ("*" and parameters included)
  std::string date;     // date item
  uint64_t inflated = 0;
  std::string problem;  // empty when the block is sound
};

struct Inspection {
  std::string path;
  uint64_t fileSize = 0;
  bool isPe = false;
  int32_t packageEnd = 0;    // field at 252 of a PE file
  uint64_t end = 0;          // where the trailer ends
  bool hasTrailer = false;   // magic found
  vx::TrailerRecord trailer{};
  uint8_t storedCount = 0;   // string-block count as stored (0 reads as 2)
  uint32_t pieceNumber = 0;  // vxpack's piece number, 0 when not written by vxpack
  bool laterPiece = false;   // no string blocks (piece 2, 3 ...)
  uint32_t computedSum = 0;
  bool overSizeLimit = false;
  bool checksumOk = false;
  std::vector<std::string> strings;  // language table, settings list, web list as read
  std::vector<BlockEntry> blocks;
  std::vector<std::string> problems;  // empty: a valid package
};

Inspection InspectPackage(const std::string& path);
std::string FormatInspection(const Inspection& in);

// "2024-05-17 13:45:08" for a DOS date-time; "-" for 0.
std::string DosTimeText(uint32_t dos);

}  // namespace vxpack
