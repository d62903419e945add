// TGFileInfo: the trailer, language block, settings list and web list of one package file.
#include <cstring>

#include "package/blocks.h"
#include "package/package.h"
#include "package/signature.h"
#include "system/debug.h"
#include "system/platform.h"
#include "text/paths.h"
#include "text/utils.h"
#include "ui/language.h"

namespace vx {
namespace {

// The file-name part of a list's item with its extension (the part from its last ".")
// replaced, or appended.
String ItemFileName(const String& list, int index, const char* ext) {
  String out = FileNamePart(ListItem(list, index, ""));
  const size_t p = out.rfind('.');
  if (p != String::npos) out.resize(p);
  out += ext;
  return out;
}

// A list's item is the flag value "1".
bool ItemIsOne(const String& list, int index) { return ListItem(list, index, "") == "1"; }

// A list's token item, decoded or as stored.
String ItemToken(const String& list, int index, bool decode) {
  const String raw = ListItem(list, index, "");
  return decode ? DecodeToken(raw) : raw;
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
String TGFileInfo::InfoFileName() const { return ItemFileName(settings_, 1, ".info"); }
String TGFileInfo::OriginalFileName() const { return ItemFileName(settings_, 1, ".original"); }
String TGFileInfo::AgentExeName() const { return ListItem(settings_, 2, ""); }
String TGFileInfo::AgentToken(bool decode) const { return ItemToken(settings_, 3, decode); }
bool TGFileInfo::RunHidden() const { return ItemIsOne(settings_, 4); }

String TGFileInfo::PublisherPins() const { return ListItem(settings_, kPinsItem, ""); }

String TGFileInfo::WebFolder() const { return ListItem(web_, 0, ""); }
String TGFileInfo::WebFileName() const { return ListItem(web_, 1, ""); }
bool TGFileInfo::WebNoLocal() const { return ItemIsOne(web_, 2); }
String TGFileInfo::WebToken(bool decode) const { return ItemToken(web_, 3, decode); }
String TGFileInfo::WebSizeText() const { return ListItem(web_, 4, ""); }
bool TGFileInfo::SameWebToken(const TGFileInfo& other) const {
  return SameToken(WebToken(false), other.WebToken(false));
}

}  // namespace vx
