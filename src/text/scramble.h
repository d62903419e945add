// Reversible scrambling of setting values marked "Scrambled=01" (portable).
#pragma once
#include "text/str.h"
namespace vx {

extern const char* const kScrambleMark;  // "Scrambled=01"

// The text in the requested form: scrambled ("Scrambled=01", a seed character, the transformed
// text) when scramble is true, plain otherwise. A text already in that form comes back unchanged.
// Scrambling draws a fresh seed from the clock.
String ScrambleValue(const String& text, bool scramble);
// The same with a given seed (33..122) for scrambling; unscrambling reads the seed from the text.
String ScrambleValueWithSeed(const String& text, bool scramble, int seed);

}  // namespace vx
