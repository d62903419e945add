// Validation of package file names, so that nothing is ever written outside the work folder.
#include "package/entry_name.h"

namespace vx {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

String UpperAscii(String s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

// CON, PRN, AUX, NUL, COM0-9, LPT0-9, CONIN$, CONOUT$, also with an extension ("nul.txt")
// and with trailing blanks: Windows opens the device instead of a file.
bool IsDeviceName(const String& part) {
  String base = part.substr(0, part.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  base = UpperAscii(base);
  // A digit after three letters stands as "*", which no part that gets here holds.
  if (base.size() == 4 && base[3] >= '0' && base[3] <= '9') base[3] = '*';
  return String("|CON|PRN|AUX|NUL|CONIN$|CONOUT$|COM*|LPT*|").find("|" + base + "|") != String::npos;
}

bool OnlyDotsAndBlanks(const String& part) {
  return part.find_first_not_of(". ") == String::npos;
}

}  // namespace

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
