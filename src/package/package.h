// The package layout: 74-byte trailer, checksum, string blocks, tokens, and TGFileInfo.
#pragma once
#include <cstdint>

#include "package/byte_source.h"
#include "text/str.h"

namespace vx {

constexpr uint32_t kPackageMagic = 0x4A3B2C1D;
constexpr uint32_t kTrailerLength = 74;
constexpr uint32_t kChecksumSizeLimit = 52428800;  // larger files pass without a test
constexpr uint32_t kChecksumPass = 1234;
constexpr uint32_t kPackageEndOffset = 252;         // package-end field of a PE launcher
constexpr uint32_t kPeHeaderOffset = 256;
constexpr uint32_t kMaxStringBlock = 16u << 20;     // longer string blocks make the file unusable

// Trailer flag bits (byte 65).
constexpr uint8_t kFlagConfirmExtract = 0x01;
constexpr uint8_t kFlagContinuation = 0x02;
constexpr uint8_t kFlagSpan = 0x04;
constexpr uint8_t kFlagSecondBar = 0x08;

#pragma pack(push, 1)
struct TrailerRecord {
  uint8_t format;             // 0: written as 1
  uint8_t stringBlockCount;   // 1: 2 or 3 (0 reads as 2)
  uint16_t padding;           // 2
  uint32_t dataStart;         // 4: D
  uint32_t fileCount;         // 8
  uint32_t magic;             // 12
  uint32_t checksum;          // 16
  uint8_t reserved[8];        // 20
  uint32_t space[9];          // 28: total, then rounded to clusters of 512 .. 65536
  uint8_t reserved2;          // 64
  uint8_t flags;              // 65
  uint8_t webFlag;            // 66
  uint8_t askDownloadFlag;    // 67
  uint8_t makeAgentFlag;      // 68
  uint8_t agentFlag;          // 69
  uint32_t length;            // 70: L
};
#pragma pack(pop)
static_assert(sizeof(TrailerRecord) == 74, "the trailer is a 74-byte on-disk record");

// The readers take an open file. Their forms that take a path (package_file.cpp) open it through
// the C library's streams, for tools and tests; the launcher opens its files through the system.
bool IsPeFile(ByteSource& src);
bool IsPeFile(const String& path);

// Why a file has no trailer where one would be.
enum class TrailerFault {
  kNone,
  kCannotRead,   // the file is not open
  kTooSmall,     // fewer than 4 bytes
  kEndPastFile,  // the package-end field points past the end of the file
  kEndTooSmall,  // the package-end field (1 to 3) leaves no room for the length field
  kBadLength,    // the length field is below 4 or reaches before the first byte
};

// Where the trailer of a file lies.
struct TrailerPlace {
  uint64_t fileSize = 0;
  bool isPe = false;
  int32_t endField = 0;  // the package-end field of a PE file; 0 for other files
  uint64_t end = 0;      // where the trailer ends: the package end when usable, else the file size
  uint32_t length = 0;   // the trailer's length field as stored
  uint64_t start = 0;    // where the trailer starts: end - length
};

// Finds the trailer: its end (the package-end field of a PE file when above 0, else the end of
// the file), its length field in the last 4 bytes before that end, and its start.
TrailerFault LocateTrailer(ByteSource& src, TrailerPlace& place);
// Reads the record of a located trailer into rec (zeroed first): at most its first 70 bytes, the
// length field set to the bytes used (74 for a longer trailer). Writes the trace line "n1=" with
// the stored string-block count, then reads a count of 0 as 2. False when the read fails.
bool ReadTrailerAt(ByteSource& src, const TrailerPlace& place, TrailerRecord& rec);
// Locates and reads the trailer into rec (zeroed first). Returns false when the file cannot be
// read or the trailer's bounds are impossible; rec.magic tells whether it is a package.
bool ReadTrailer(ByteSource& src, TrailerRecord& rec);
bool ReadTrailer(const String& path, TrailerRecord& rec);
uint32_t PackageChecksum(ByteSource& src, uint32_t trailerLength);
uint32_t PackageChecksum(const String& path, uint32_t trailerLength);
// The sum itself, without the size rule (PackageChecksum returns 1234 for files over the limit).
uint32_t PackageSum(ByteSource& src, uint32_t trailerLength);
// Where the trailer ends: the package-end field of a PE file when above 0, else the file size.
uint64_t PackageEnd(ByteSource& src);
String DecodeToken(const String& text);
// Whether two tokens in their stored form hold the same secret: both decode, to the same text,
// which is not empty. A missing or damaged token matches nothing, not even another such token
// (DecodeToken's random stand-ins for them may be equal).
bool SameToken(const String& storedA, const String& storedB);
// Space-table entry for a drive with the given cluster size in bytes (0 when unknown).
double SpaceForCluster(const TrailerRecord& rec, uint32_t clusterSize);

// The trailer's counts, which the checksum does not cover, checked against the layout: a package
// has 2 or 3 string blocks (a stored 0 has been read as 2) ...
bool StringBlockCountFits(const TrailerRecord& rec);
// ... and as many file blocks in all its pieces as the first piece's trailer gives. A span or web
// launcher carries none of its own: its count describes the package it leads to.
bool FileBlockCountFits(const TrailerRecord& first, uint64_t fileBlocksFound);

// Pieces of a spanned package: the first is the launcher itself or a file named like it with
// ".001" appended; piece k is named after the first piece's path without a trailing ".001" (its
// base), then "." and k in three digits.
String PieceBase(const String& firstPiece);
String PiecePath(const String& base, int piece);
// The piece number a file name ends with (".002" gives 2), 0 when it ends with no such number.
int PieceNumberInName(const String& path);

class TGFileInfo {
 public:
  TGFileInfo() { Clear(); }
  explicit TGFileInfo(const String& path);
  explicit TGFileInfo(ByteSource& src);

  const TrailerRecord& Trailer() const { return trailer_; }
  bool IsPackage() const { return trailer_.magic == kPackageMagic; }
  const String& LanguageBlock() const { return language_; }
  const String& SettingsList() const { return settings_; }
  const String& WebList() const { return web_; }

  bool ConfirmExtractFlag() const { return (trailer_.flags & kFlagConfirmExtract) != 0; }
  bool ContinuationFlag() const { return (trailer_.flags & kFlagContinuation) != 0; }
  bool SpanFlag() const { return (trailer_.flags & kFlagSpan) != 0; }
  bool SecondBarFlag() const { return (trailer_.flags & kFlagSecondBar) != 0; }
  bool WebFlag() const { return trailer_.webFlag != 0; }
  bool AskDownloadFlag() const { return trailer_.askDownloadFlag != 0; }
  bool MakeAgentFlag() const { return trailer_.makeAgentFlag != 0; }
  bool AgentFlag() const { return trailer_.agentFlag != 0; }

  double SpaceRequired(const String& folder) const;  // uses the drive's cluster size

  String LanguageText(const String& key, const String& def) const;
  int LanguageCharset() const;
  int LanguageFontSize() const;
  String LanguageFontName() const;

  String UpdateUrl() const;
  String InfoFileName() const;
  String OriginalFileName() const;
  String AgentExeName() const;
  String AgentToken(bool decode) const;
  bool RunHidden() const;
  String PublisherPins() const;  // settings list item 5 (signature.h)
  String WebFolder() const;
  String WebFileName() const;
  bool WebNoLocal() const;
  String WebToken(bool decode) const;
  String WebSizeText() const;
  bool SameWebToken(const TGFileInfo& other) const;  // SameToken of the two web tokens

 private:
  void Clear();
  void Read(ByteSource& src);

  TrailerRecord trailer_;
  String language_;
  String settings_;
  String web_;
};

}  // namespace vx
