// Built-in texts of every launcher language key: what the launcher shows when the package
// carries no translation, or a translation lacks the key.
#pragma once
#include "text/str.h"
namespace vx {

struct LanguageKeyDefault {
  const char* key;
  const char* value;
};

extern const LanguageKeyDefault kLanguageDefaults[];
extern const int kLanguageDefaultCount;

// The built-in text of a launcher key (keys compared in any letter case); empty for an unknown key.
String LanguageDefault(const String& key);

// LanguageText of the block with the key's built-in default.
String LauncherText(const String& block, const char* key);

}  // namespace vx
