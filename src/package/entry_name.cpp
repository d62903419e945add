// Validation of package file names, so that nothing is ever written outside the work folder.
#include "package/entry_name.h"

#include "text/utils.h"

namespace vx {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool OnlyDotsAndBlanks(const String& part) {
  return part.find_first_not_of(". ") == String::npos;
}

}  // namespace

bool IsDeviceName(const String& part) {
  String base = part.substr(0, part.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  base = UpperCase(base);
  // A digit after three letters stands as "*", which no file name holds. Windows reserves the
  // superscript digits 1, 2 and 3 (0xB9, 0xB2, 0xB3 in code page 1252) there too.
  if (base.size() == 4) {
    const unsigned char d = static_cast<unsigned char>(base[3]);
    if ((d >= '0' && d <= '9') || d == 0xB9 || d == 0xB2 || d == 0xB3) base[3] = '*';
  }
  return String("|CON|PRN|AUX|NUL|CONIN$|CONOUT$|CLOCK$|COM*|LPT*|").find("|" + base + "|") != String::npos;
}

bool CheckEntryName(const String& name, String& relative, String& reason) {
  relative.clear();
  reason.clear();
  // A refused name leaves no relative name behind.
  const auto refuse = [&](const char* why) {
    relative.clear();
    reason = why;
    return false;
  };
  if (name.empty()) return refuse("the file name is empty");
  if (name.size() > kMaxEntryName) return refuse("the file name is too long");
  if (IsSeparator(name[0])) return refuse("the file name is an absolute path");
  if (IsSeparator(name.back())) return refuse("the file name names a folder");
  for (unsigned char c : name) {
    if (c == ':') return refuse("the file name holds a drive or stream part");
    if (c < 0x20 || c == '<' || c == '>' || c == '"' || c == '|' || c == '?' || c == '*')
      return refuse("the file name holds characters that file names cannot hold");
  }
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = start;
    while (end < name.size() && !IsSeparator(name[end])) ++end;
    const String part = name.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    if (OnlyDotsAndBlanks(part)) return refuse("the file name leads out of the extraction folder");
    if (IsDeviceName(part)) return refuse("the file name is a device name");
    if (part.back() == '.' || part.back() == ' ') return refuse("a name part ends in a dot or blank");
    if (!relative.empty()) relative += '\\';
    relative += part;
  }
  if (relative.empty()) return refuse("the file name is empty");
  return true;
}

String EntryFolder(const String& relative) {
  const size_t cut = relative.find_last_of('\\');
  return cut == String::npos ? String() : relative.substr(0, cut);
}

String EntryKey(const String& relative) {
  String s = relative;
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

}  // namespace vx
