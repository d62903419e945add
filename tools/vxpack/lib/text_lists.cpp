#include "text_lists.h"

namespace vxpack {

const char* const kItemSeparators =
    "|~^`#@$%&!;\x01\x03\x04\x05\x06\x07\x0E\x0F\x10\x11\x12\x13\x14\x15\x16\x17\x18\x19\x1A";
const char* const kTableSeparators =
    "\x02\x03\x04\x05\x06\x07\x0E\x0F\x10\x11\x12\x13\x14\x15\x16\x17\x18\x19\x1A\x1B\x1C\x1D\x1E"
    "\x1F~^`";

namespace {

bool Occurs(char c, const std::vector<std::string>& items) {
  for (const std::string& s : items)
    if (s.find(c) != std::string::npos) return true;
  return false;
}

std::string Join(char sep, const std::vector<std::string>& items) {
  std::string out(1, sep);
  for (const std::string& s : items) {
    out += s;
    out += sep;
  }
  return out;
}

}  // namespace

bool MakeList(const std::vector<std::string>& items, const std::string& candidates, std::string& out) {
  for (char c : candidates) {
    if (!Occurs(c, items)) {
      out = Join(c, items);
      return true;
    }
  }
  return false;
}

bool MakeLanguageTable(const std::vector<LanguageEntry>& entries, std::string& out, std::string& error) {
  std::vector<std::string> texts;  // every text that goes into the table
  for (const LanguageEntry& e : entries) {
    texts.push_back(e.name);
    for (const auto& kv : e.values) {
      texts.push_back(kv.first);
      texts.push_back(kv.second);
    }
  }
  char tableSep = 0;
  for (char c : std::string(kTableSeparators)) {
    if (!Occurs(c, texts)) {
      tableSep = c;
      break;
    }
  }
  if (tableSep == 0) {
    error = "no separator character is free for the language table";
    return false;
  }
  std::vector<std::string> built;
  for (const LanguageEntry& e : entries) {
    std::vector<std::string> items{e.name};
    for (const auto& kv : e.values) items.push_back(kv.first + "=" + kv.second);
    std::string candidates;
    for (char c : std::string(kItemSeparators))
      if (c != tableSep) candidates += c;
    std::string entry;
    if (!MakeList(items, candidates, entry)) {
      error = "no separator character is free for language " + e.name;
      return false;
    }
    built.push_back(entry);
  }
  out = Join(tableSep, built);
  return true;
}

}  // namespace vxpack
