// The package reader on any bytes: trailer, string blocks, TGFileInfo and its lists, the report
// that vxpack inspect words, the checksum, and tokens (what vxpack encodes decodes to its text).
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "fuzz_platform.h"
#include "fuzz_target.h"
#include "package/package.h"
#include "package/package_report.h"
#include "text/utils.h"
#include "token_encode.h"
#include "ui/language.h"

namespace {

constexpr const char* kName = "package";

void CheckReader(const std::vector<uint8_t>& bytes) {
  vx::MemorySource src(bytes);
  const uint64_t size = bytes.size();

  vx::TrailerPlace place;
  if (vx::LocateTrailer(src, place) == vx::TrailerFault::kNone) {
    VX_FUZZ_CHECK(kName, place.length >= 4 && place.start + place.length == place.end && place.end <= size,
                  "a located trailer lies outside the file");
    vx::TrailerRecord rec;
    if (vx::ReadTrailerAt(src, place, rec))
      VX_FUZZ_CHECK(kName, rec.length >= 4 && rec.length <= vx::kTrailerLength && rec.stringBlockCount != 0,
                    "a read trailer has a length or count it cannot have");
  }
  VX_FUZZ_CHECK(kName, vx::PackageEnd(src) <= size, "the package end lies past the file");
  const uint32_t sum = vx::PackageSum(src, vx::kTrailerLength);
  VX_FUZZ_CHECK(kName, vx::PackageChecksum(src, vx::kTrailerLength) == sum,
                "the checksum of a small file is not its sum");

  vx::ResetLanguageSelection();
  const vx::TGFileInfo info(src);
  if (info.IsPackage()) {
    const uint64_t texts = info.LanguageBlock().size() + info.SettingsList().size() + info.WebList().size();
    VX_FUZZ_CHECK(kName, texts <= size && info.Trailer().dataStart <= size,
                  "the string blocks read are larger than the file");
  } else {
    VX_FUZZ_CHECK(kName, info.LanguageBlock().empty() && info.SettingsList().empty() && info.WebList().empty(),
                  "a file that is no package left texts behind");
  }
  info.LanguageText("s0", "caption");
  info.LanguageCharset();
  info.LanguageFontSize();
  info.LanguageFontName();
  info.UpdateUrl();
  info.InfoFileName();
  info.OriginalFileName();
  info.AgentExeName();
  info.AgentToken(true);
  info.RunHidden();
  info.WebFolder();
  info.WebFileName();
  info.WebNoLocal();
  info.WebToken(true);
  info.WebSizeText();
  info.SameWebToken(info);
  info.SpaceRequired("C:\\");

  const vx::PackageReport report = vx::ReadPackageReport(src, "setup.exe");
  for (const vx::BlockReport& b : report.blocks)
    VX_FUZZ_CHECK(kName, b.offset + 4 + b.length <= size, "a reported block runs past the file");
  if (report.findings.empty())
    VX_FUZZ_CHECK(kName, report.hasTrailer && report.checksumOk, "a package without trailer or checksum passed");
  // The launcher's reader and the report read the same string blocks.
  const size_t count = info.Trailer().stringBlockCount;
  if (info.IsPackage() && vx::StringBlockCountFits(info.Trailer()) && report.strings.size() == count) {
    const vx::String texts[] = {info.LanguageBlock(), info.SettingsList(), info.WebList()};
    for (size_t i = 0; i < count; ++i)
      VX_FUZZ_CHECK(kName, report.strings[i] == texts[i], "the report reads another string block than the launcher");
  }
}

VX_FUZZ_TARGET(package) {
  vxfuzz::FuzzPlatform platform;
  vxfuzz::FuzzInput in(data, size);
  const uint8_t mode = in.Byte();
  if (mode & 1) {
    // A token: vxpack's encoding of the text decodes to the text for every seed.
    const uint32_t seed = in.U32();
    std::string plain = in.Rest();
    if (plain.size() > 240) plain.resize(240);
    const std::string encoded = vxpack::EncodeToken(plain, seed);
    VX_FUZZ_CHECK(kName, vxpack::TokenIsIntact(encoded), "an encoded token is not intact");
    VX_FUZZ_CHECK(kName, std::string(vx::DecodeToken(encoded)) == plain, "a token does not decode to its text");
    vx::DecodeToken(plain);
    return;
  }
  const std::string rest = in.Rest();
  CheckReader(std::vector<uint8_t>(rest.begin(), rest.end()));
}

}  // namespace
