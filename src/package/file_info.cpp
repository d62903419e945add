// TGFileInfo: the trailer, language block, settings list and web list of one package file.
#include <cstring>

#include "package/blocks.h"
#include "package/package.h"
#include "system/debug.h"
#include "system/platform.h"
#include "text/paths.h"
#include "text/utils.h"
#include "ui/language.h"

namespace vx {
namespace {

// Replaces the extension of a file name (the part from its last "."), or appends one.
String ChangeExtension(const String& name, const char* ext) {
  String out = name;
  const size_t p = out.rfind('.');
  if (p != String::npos) out.resize(p);
  out += ext;
  return out;
}

}  // namespace

double SpaceForCluster(const TrailerRecord& rec, uint32_t clusterSize) {
  double result = rec.space[0];
  for (int i = 1; i <= 8; ++i)
    if (clusterSize >= (256u << i)) result = rec.space[i];
  return result;
}

TGFileInfo::TGFileInfo(ByteSource& src) {
  Clear();
  Read(src);
}

void TGFileInfo::Clear() {
  std::memset(&trailer_, 0, sizeof trailer_);
  language_.clear();
  settings_.clear();
  web_.clear();
}

void TGFileInfo::Read(ByteSource& src) {
  TrailerPlace place;
  if (LocateTrailer(src, place) != TrailerFault::kNone || !ReadTrailerAt(src, place, trailer_) ||
      trailer_.magic != kPackageMagic) {
    Clear();
    return;
  }
  // String blocks must end before the trailer starts; anything else is not a usable package.
  const uint64_t limit = place.end - trailer_.length;
  uint64_t pos = trailer_.dataStart;
  auto next = [&](String& text) {
    PackageBlock block;
    if (ReadStringBlock(src, pos, limit, block, text) != BlockFault::kNone) return false;
    pos = block.End();
    return true;
  };
  bool ok = next(language_) && next(settings_);
  if (ok) {
    DebugWriteLn("n2=", IntText(trailer_.stringBlockCount));
    if (trailer_.stringBlockCount > 2) ok = next(web_);
  }
  if (!ok || pos > UINT32_MAX) {
    Clear();
    return;
  }
  trailer_.dataStart = static_cast<uint32_t>(pos);
}

double TGFileInfo::SpaceRequired(const String& folder) const {
  return SpaceForCluster(trailer_, CurrentPlatform().DriveClusterSize(folder));
}

String TGFileInfo::LanguageText(const String& key, const String& def) const {
  return vx::LanguageText(language_, key, def);
}
int TGFileInfo::LanguageCharset() const { return vx::LanguageCharset(language_); }
int TGFileInfo::LanguageFontSize() const { return vx::LanguageFontSize(language_); }
String TGFileInfo::LanguageFontName() const { return vx::LanguageFontName(language_); }

String TGFileInfo::UpdateUrl() const { return ListItem(settings_, 0, ""); }
String TGFileInfo::InfoFileName() const {
  return ChangeExtension(FileNamePart(ListItem(settings_, 1, "")), ".info");
}
String TGFileInfo::OriginalFileName() const {
  return ChangeExtension(FileNamePart(ListItem(settings_, 1, "")), ".original");
}
String TGFileInfo::AgentExeName() const { return ListItem(settings_, 2, ""); }
String TGFileInfo::AgentToken(bool decode) const {
  const String raw = ListItem(settings_, 3, "");
  return decode ? DecodeToken(raw) : raw;
}
bool TGFileInfo::RunHidden() const { return ListItem(settings_, 4, "") == "1"; }

String TGFileInfo::WebFolder() const { return ListItem(web_, 0, ""); }
String TGFileInfo::WebFileName() const { return ListItem(web_, 1, ""); }
bool TGFileInfo::WebNoLocal() const { return ListItem(web_, 2, "") == "1"; }
String TGFileInfo::WebToken(bool decode) const {
  const String raw = ListItem(web_, 3, "");
  return decode ? DecodeToken(raw) : raw;
}
String TGFileInfo::WebSizeText() const { return ListItem(web_, 4, ""); }
bool TGFileInfo::SameWebToken(const TGFileInfo& other) const {
  return WebToken(true) == other.WebToken(true);
}

}  // namespace vx
