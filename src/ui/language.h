// Language texts of the launcher: the package's language table, the entry chosen for the user's
// locale (cached for the process) and the lookup of keys in it with built-in defaults.
//
// Table form: a delimited list whose items are entries; each entry is itself a delimited list
// with its own separator, item 0 the language name, further items key=value.
#pragma once
#include <cstdint>

#include "text/str.h"

namespace vx {

// The text stored under key in the selected entry of the table, or def.
String LanguageText(const String& block, const String& key, const String& def);
int LanguageCharset(const String& block);   // "Charset", 0 when missing or not a number
int LanguageFontSize(const String& block);  // "FontSize", 8 when missing or not a number
String LanguageFontName(const String& block);  // "FontName", "Tahoma" when missing

// The language name filed under a primary language id ("ENGLISH" for 9), or empty.
String LanguageNameForId(int languageId);
extern const char* const kLanguageIdTable;

// The entry is chosen at the first lookup, for the locale the platform (platform.h) names then.
// ResetLanguageSelection forgets it, so that the next lookup chooses again (tests only; the
// launcher chooses once per process).
void ResetLanguageSelection();

}  // namespace vx
