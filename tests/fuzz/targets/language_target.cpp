// Language texts: the entry chosen for a locale and the texts looked up in it, against a plain
// reference that splits the table once. Input: two locale bytes, then fields table, key, default.
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "fuzz_platform.h"
#include "fuzz_target.h"
#include "text/utils.h"
#include "ui/lang_defaults.h"
#include "ui/language.h"

namespace {

constexpr const char* kName = "language";

// The items of a delimited list (first character the separator) as the list reader gives them:
// the text between two separators, empty for a missing item; text after the last one is none.
std::vector<std::string> Items(const std::string& list) {
  std::vector<std::string> items;
  if (list.empty()) return items;
  size_t start = 1;
  for (size_t end; (end = list.find(list[0], start)) != std::string::npos; start = end + 1)
    items.push_back(list.substr(start, end - start));
  return items;
}

const char kNone[] = "*";

std::string FindEntry(const std::vector<std::string>& entries, const std::string& name) {
  if (std::string(vx::Trim(name)).empty()) return kNone;
  for (const std::string& entry : entries) {
    const std::vector<std::string> parts = Items(entry);
    if (vx::SameTextTrim(parts.empty() ? std::string() : parts[0], name)) return entry;
  }
  return kNone;
}

std::string ReferenceText(const std::string& table, uint32_t locale, const std::string& key, const std::string& def) {
  std::vector<std::string> entries = Items(table);
  const bool one = vx::ListCount(table) == 1;
  if (!table.empty() && table.back() != table.front()) entries.clear();  // not a list: no entries
  const int primary = locale == 0 ? 9 : static_cast<int>(locale & 0x3FF);
  std::string entry = FindEntry(entries, vx::LanguageNameForId(primary));
  if (entry == kNone) entry = FindEntry(entries, "English");
  if (entry == kNone && one) entry = entries[0].empty() ? kNone : entries[0];
  if (entry.size() <= 1) return def;
  return vx::ListValue(entry, key, def);
}

VX_FUZZ_TARGET(language) {
  vxfuzz::FuzzInput in(data, size);
  const uint32_t locale = in.Byte() | static_cast<uint32_t>(in.Byte()) << 8;
  const std::string table = in.Field();
  const std::string key = in.Field();
  const std::string def = in.Field();
  vxfuzz::FuzzPlatform platform(locale);

  vx::ResetLanguageSelection();
  const std::string got = vx::LanguageText(table, key, def);
  VX_FUZZ_CHECK(kName, got == ReferenceText(table, locale, key, def), "the text differs from the reference");
  VX_FUZZ_CHECK(kName, std::string(vx::LanguageText(table, key, def)) == got, "a second lookup differs");
  vx::LanguageCharset(table);
  vx::LanguageFontSize(table);
  vx::LanguageFontName(table);
  vx::LauncherText(table, key.c_str());
  vx::LanguageNameForId(static_cast<int>(locale));
  vx::ResetLanguageSelection();
}

}  // namespace
