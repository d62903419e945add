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

bool IsPeFile(ByteSource& src);
bool IsPeFile(const String& path);
// Reads the trailer into rec (zeroed first). Returns false when the file cannot be read or the
// trailer's bounds are impossible; rec.magic tells whether it is a package.
bool ReadTrailer(ByteSource& src, TrailerRecord& rec);
bool ReadTrailer(const String& path, TrailerRecord& rec);
uint32_t PackageChecksum(ByteSource& src, uint32_t trailerLength);
uint32_t PackageChecksum(const String& path, uint32_t trailerLength);
// The sum itself, without the size rule (PackageChecksum returns 1234 for files over the limit).
uint32_t PackageSum(ByteSource& src, uint32_t trailerLength);
// Where the trailer ends: the package-end field of a PE file when above 0, else the file size.
uint64_t PackageEnd(ByteSource& src);
String DecodeToken(const String& text);
// Space-table entry for a drive with the given cluster size in bytes (0 when unknown).
double SpaceForCluster(const TrailerRecord& rec, uint32_t clusterSize);

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
  String WebFolder() const;
  String WebFileName() const;
  bool WebNoLocal() const;
  String WebToken(bool decode) const;
  String WebSizeText() const;
  bool SameWebToken(const TGFileInfo& other) const;

 private:
  void Clear();
  void Read(ByteSource& src);

  TrailerRecord trailer_;
  String language_;
  String settings_;
  String web_;
};

}  // namespace vx
