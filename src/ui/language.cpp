#include "ui/language.h"

#include "system/platform.h"
#include "text/utils.h"
#include "ui/lang_defaults.h"

namespace vx {

const char* const kLanguageIdTable =
    "|AFRIKAANS    = 54|ALBANIAN     = 28|ARABIC       = 01|BASQUE       = 45|BELARUSIAN   = 35"
    "|BULGARIAN    = 02|CATALAN      = 03|CHINESE      = 04|CROATIAN     = 26|CZECH        = 05"
    "|DANISH       = 06|DUTCH        = 19|ENGLISH      = 09|ESTONIAN     = 37|FAEROESE     = 56"
    "|FARSI        = 41|FINNISH      = 11|FRENCH       = 12|GERMAN       = 07|GREEK        = 08"
    "|HEBREW       = 13|HUNGARIAN    = 14|ICELANDIC    = 15|INDONESIAN   = 33|ITALIAN      = 16"
    "|JAPANESE     = 17|KOREAN       = 18|LATVIAN      = 38|LITHUANIAN   = 39|NORWEGIAN    = 20"
    "|POLISH       = 21|PORTUGUESE   = 22|ROMANIAN     = 24|RUSSIAN      = 25|SERBIAN      = 26"
    "|SLOVAK       = 27|SLOVENIAN    = 36|SPANISH      = 10|SWEDISH      = 29|THAI         = 30"
    "|TURKISH      = 31|UKRAINIAN    = 34|VIETNAMESE   = 42|";

namespace {

const char kNoEntry[] = "*";

bool g_selected = false;      // the search has run in this process
String g_selectedEntry;  // the chosen entry, or "*" when none was found

int PrimaryLanguageId() {
  const uint32_t lcid = CurrentPlatform().LocaleId();
  return lcid == 0 ? 9 : static_cast<int>(lcid & 0x3FF);
}

String FindEntry(const String& table, const String& name) {
  if (Trim(name).empty()) return kNoEntry;  // an unknown language matches no entry
  // One pass over the table: a package may hold tens of thousands of entries.
  String entry;
  size_t pos = 0;
  for (int n = ListCount(table); n > 0 && NextListItem(table, pos, entry); --n)
    if (SameTextTrim(ListItem(entry, 0, ""), name)) return entry;
  return kNoEntry;
}

String SelectEntry(const String& table) {
  String entry = FindEntry(table, LanguageNameForId(PrimaryLanguageId()));
  if (entry == kNoEntry) entry = FindEntry(table, "English");
  if (entry == kNoEntry && ListCount(table) == 1) entry = ListItem(table, 0, kNoEntry);
  return entry;
}

// The built-in text of each of these keys is def's decimal form.
int IntSetting(const String& block, const char* key, int def) {
  int64_t v = 0;
  if (!TextToInt64(LauncherText(block, key), v)) return def;
  if (v < INT32_MIN || v > INT32_MAX) return def;
  return static_cast<int>(v);
}

}  // namespace

void ResetLanguageSelection() {
  g_selected = false;
  g_selectedEntry.clear();
}

String LanguageText(const String& block, const String& key, const String& def) {
  if (!g_selected) {
    g_selectedEntry = SelectEntry(block);
    g_selected = true;
  }
  if (g_selectedEntry.size() <= 1) return def;
  return ListValue(g_selectedEntry, key, def);
}

int LanguageCharset(const String& block) { return IntSetting(block, "Charset", 0); }
int LanguageFontSize(const String& block) { return IntSetting(block, "FontSize", 8); }
String LanguageFontName(const String& block) { return LauncherText(block, "FontName"); }  // "Tahoma" by default

String LanguageNameForId(int languageId) {
  const String digits = ZeroPad(languageId, 2);
  const String table = kLanguageIdTable;
  const int n = ListCount(table);
  for (int i = 0; i < n; ++i) {
    const String item = ListItem(table, i, "");
    if (item.find(digits) != String::npos) return Trim(TextBefore(item + "=", "="));
  }
  return String();
}

}  // namespace vx
