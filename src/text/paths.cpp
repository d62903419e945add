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
  size_t n = path.size();
  if (n == 1 && path[0] == '\\') n = 0;
  else if (n > 1 && EndsWithSeparator(path, isLead)) --n;
  return path.substr(0, n);
}

String CollapseBackslashes(const String& path, bool strip, LeadByteTest isLead) {
  String r = path;
  // Pairs starting at 0-based positions length-3 down to 2, right to left: the first character
  // stays aside, so the leading pair of a network path survives, and the pair formed by the last
  // two characters is not looked at, so a trailing double backslash stays.
  for (size_t i = r.size() >= 3 ? r.size() - 3 : 0; i >= 2; --i)
    if (r[i] == '\\' && r[i + 1] == '\\' && !Lead(isLead, r[i - 1])) r.erase(i, 1);
  if (r.size() >= 3 && r[1] == '\\' && r[2] == '\\') r.erase(1, 1);
  if (strip) return RemoveTrailingBackslash(r, isLead);
  return r;
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
  return path.substr(cut + 1);  // npos + 1 is 0: the whole path
}

}  // namespace vx
