#include "text/paths.h"

namespace vx {
namespace {

bool Lead(LeadByteTest isLead, char c) {
  return isLead != nullptr && isLead(static_cast<unsigned char>(c));
}

// Whether the last character is a backslash that is not the second byte of a double-byte character.
bool EndsWithSeparator(const String& s, LeadByteTest isLead) {
  if (s.empty() || s.back() != '\\') return false;
  return s.size() < 2 || !Lead(isLead, s[s.size() - 2]);
}

// Index just past the last "\" or ":" that starts a character, or 0. Walks the text from the
// start so that second bytes of double-byte characters are skipped.
size_t AfterLastDelimiter(const String& path, LeadByteTest isLead) {
  size_t after = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    if (Lead(isLead, path[i]) && i + 1 < path.size()) {
      ++i;
      continue;
    }
    if (path[i] == '\\' || path[i] == ':') after = i + 1;
  }
  return after;
}

}  // namespace

String SetTrailingBackslash(const String& path, bool add, LeadByteTest isLead) {
  String r = path;
  if (r.size() >= 3 && EndsWithSeparator(r, isLead)) r.pop_back();
  if (add) r += '\\';
  return r;
}

String RemoveTrailingBackslash(const String& path, LeadByteTest isLead) {
  if (path == "\\") return String();
  String r = path;
  if (r.size() > 1 && EndsWithSeparator(r, isLead)) r.pop_back();
  return r;
}

String CollapseBackslashes(const String& path, bool strip, LeadByteTest isLead) {
  String result;
  if (!path.empty()) {
    // The first character stays aside, so the leading pair of a network path survives.
    String rest = path.substr(1);
    // Pairs starting at positions length-2 down to 2 (1-based), right to left; the pair formed
    // by the last two characters is not looked at, so a trailing double backslash stays.
    for (size_t pos = rest.size() >= 2 ? rest.size() - 2 : 0; pos >= 2; --pos) {
      const size_t i = pos - 1;  // 0-based start of the pair
      if (rest[i] == '\\' && rest[i + 1] == '\\' && !Lead(isLead, rest[i - 1])) rest.erase(i, 1);
    }
    if (rest.size() >= 2 && rest[0] == '\\' && rest[1] == '\\') rest.erase(0, 1);
    result = path.substr(0, 1) + rest;
  }
  return strip ? RemoveTrailingBackslash(result, isLead) : result;
}

String FolderOf(const String& path, LeadByteTest isLead) {
  return path.substr(0, AfterLastDelimiter(path, isLead));
}

String FileNameOf(const String& path, LeadByteTest isLead) {
  return path.substr(AfterLastDelimiter(path, isLead));
}

String ParentOf(const String& path, LeadByteTest isLead) {
  return SetTrailingBackslash(FolderOf(path, isLead), false, isLead);
}

String FileNamePart(const String& path) {
  const size_t cut = path.find_last_of("\\/:");
  return cut == String::npos ? path : path.substr(cut + 1);
}

}  // namespace vx
