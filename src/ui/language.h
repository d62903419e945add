// Language texts of the launcher: lookup in the package's language block with built-in defaults.
#pragma once
#include <string>

namespace vx {

std::string LanguageText(const std::string& block, const std::string& key, const std::string& def);
int LanguageCharset(const std::string& block);
int LanguageFontSize(const std::string& block);
std::string LanguageFontName(const std::string& block);

}  // namespace vx
