#include "ui/language.h"

namespace vx {

// Placeholder until the language table lookup lands: every key gives its default.
std::string LanguageText(const std::string&, const std::string&, const std::string& def) { return def; }
int LanguageCharset(const std::string&) { return 0; }
int LanguageFontSize(const std::string&) { return 9; }
std::string LanguageFontName(const std::string&) { return "MS Sans Serif"; }

}  // namespace vx
