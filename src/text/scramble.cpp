#include "text/scramble.h"

#include <cstdint>

#include "text/utils.h"

namespace vx {

const char* const kScrambleMark = "Scrambled=01";

namespace {

constexpr size_t kMarkLength = 12;

// Character i (1-based) is XOR-ed with the low byte of i + s for odd i and i - s for even i.
// Applying it twice with the same seed gives the text back.
String Transform(const String& text, int seed) {
  String out = text;
  for (size_t k = 0; k < out.size(); ++k) {
    const int64_t i = static_cast<int64_t>(k) + 1;
    const int64_t key = (i % 2 == 1) ? i + seed : i - seed;
    out[k] = static_cast<char>(static_cast<uint8_t>(out[k]) ^ static_cast<uint8_t>(key & 0xFF));
  }
  return out;
}

bool IsScrambled(const String& text) { return text.compare(0, kMarkLength, kScrambleMark) == 0; }

}  // namespace

String ScrambleValueWithSeed(const String& text, bool scramble, int seed) {
  if (IsScrambled(text) == scramble) return text;
  if (scramble) return kScrambleMark + String(1, static_cast<char>(seed)) + Transform(text, seed);
  // A marked value is at least as long as the mark. The mark alone carries no seed and no
  // content; it unscrambles to empty text, like the mark followed by the seed only.
  if (text.size() <= kMarkLength) return String();
  const int storedSeed = static_cast<uint8_t>(text[kMarkLength]);
  return Transform(text.substr(kMarkLength + 1), storedSeed);
}

String ScrambleValue(const String& text, bool scramble) {
  if (IsScrambled(text) == scramble) return text;
  int64_t pick = 0;
  int seed = 33;
  if (scramble && TextToInt64(RandomNumberText(0, 89), pick)) seed = 33 + static_cast<int>(pick);
  return ScrambleValueWithSeed(text, scramble, seed);
}

}  // namespace vx
