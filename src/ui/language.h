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

// The locale identifier whose low 10 bits name the user's language. Supplied by the platform
// layer (the thread locale on Windows); PlatformLocaleId is called once, at the first lookup.
uint32_t PlatformLocaleId();
// Overrides the platform's locale identifier (for tools and tests).
void SetLanguageLocaleId(uint32_t localeId);
// Forgets the selected entry so that the next lookup chooses again (tests only; the launcher
// chooses once per process).
void ResetLanguageSelection();

}  // namespace vx
