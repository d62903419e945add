// TGFileInfo: the trailer, language block, settings list and web list of one package file.
#include <cstring>

#include "package/package.h"
#include "package/package_io.h"
#include "system/debug.h"
#include "system/platform.h"
#include "text/utils.h"
#include "ui/language.h"

namespace vx {
namespace {

// Reads one string block (32-bit length + text) at pos, which must lie wholly before limit.
bool ReadStringBlock(ByteSource& src, uint64_t& pos, uint64_t limit, String& text) {
  uint32_t len = 0;
  if (pos > limit || limit - pos < 4 || !ReadU32At(src, pos, len)) return false;
  if (len > limit - pos - 4 || len > kMaxStringBlock) return false;
  text.assign(len, '\0');
  if (len != 0 && !src.ReadExact(pos + 4, &text[0], len)) return false;
  pos += 4 + static_cast<uint64_t>(len);
  return true;
}

// File-name part of a path: the text after the last folder or drive separator.
String FileNamePart(const String& path) {
  const size_t p = path.find_last_of("\\/:");
  return p == String::npos ? path : path.substr(p + 1);
}

// Replaces the extension of a file name (the part from its last "."), or appends one.
String ChangeExtension(const String& name, const String& ext) {
  const size_t p = name.rfind('.');
  return (p == String::npos ? name : name.substr(0, p)) + ext;
}

}  // namespace

double SpaceForCluster(const TrailerRecord& rec, uint32_t clusterSize) {
  double result = rec.space[0];
  for (int i = 1; i <= 8; ++i)
    if (clusterSize >= (256u << i)) result = rec.space[i];
  return result;
}

TGFileInfo::TGFileInfo(const String& path) {
  Clear();
  FileSource src(path);
  if (src.IsOpen()) Read(src);
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
  if (!ReadTrailer(src, trailer_) || trailer_.magic != kPackageMagic) {
    Clear();
    return;
  }
  // String blocks must end before the trailer starts; anything else is not a usable package.
  const uint64_t limit = PackageEnd(src) - trailer_.length;
  uint64_t pos = trailer_.dataStart;
  bool ok = ReadStringBlock(src, pos, limit, language_) && ReadStringBlock(src, pos, limit, settings_);
  if (ok) {
    DebugWriteLn("n2=" + IntText(trailer_.stringBlockCount));
    if (trailer_.stringBlockCount > 2) ok = ReadStringBlock(src, pos, limit, web_);
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
