// Delimited lists and the language table, with separators chosen so that no text contains them.
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace vxpack {

// "|a|b|c|": the first usable separator from candidates, or false when every one occurs in an item.
bool MakeList(const std::vector<std::string>& items, const std::string& candidates, std::string& out);

// Separators tried for settings, web lists and language entries (printable first).
extern const char* const kItemSeparators;
// Separators tried for the language table (control characters first; 0x02 by preference).
extern const char* const kTableSeparators;

struct LanguageEntry {
  std::string name;                                         // e.g. "English"
  std::vector<std::pair<std::string, std::string>> values;  // key, value
};

// The language table: one list of entries, each entry a list "name", "key=value", ...
// An empty table is the single character 0x02. Returns false with a reason in error.
bool MakeLanguageTable(const std::vector<LanguageEntry>& entries, std::string& out, std::string& error);

}  // namespace vxpack
