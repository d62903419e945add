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
  // A backslash goes when a backslash follows it and it is neither the first nor the second
  // character nor one of the last two, and the character before it is not a lead byte: so the
  // leading pair of a network path and a trailing double backslash stay. Whether a backslash
  // goes depends only on its neighbours in the original text, so one pass builds the result.
  const size_t n = path.size();
  String r;
  r.reserve(n);
  for (size_t i = 0; i < n; ++i)
    if (!(i >= 2 && i + 3 <= n && path[i] == '\\' && path[i + 1] == '\\' && !Lead(isLead, path[i - 1])))
      r += path[i];
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
