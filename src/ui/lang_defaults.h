// Built-in texts of every launcher language key: what the launcher shows when the package
// carries no translation, or a translation lacks the key.
#pragma once
#include <string>

namespace vx {

struct LanguageKeyDefault {
  const char* key;
  const char* value;
};

extern const LanguageKeyDefault kLanguageDefaults[];
extern const int kLanguageDefaultCount;

// The built-in text of a launcher key (keys compared in any letter case); empty for an unknown key.
std::string LanguageDefault(const std::string& key);

// LanguageText of the block with the key's built-in default.
std::string LauncherText(const std::string& block, const std::string& key);

}  // namespace vx
