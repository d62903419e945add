// Decoding of the scrambled secret tokens of the settings and web lists.
#include "package/package.h"
#include "text/utils.h"

namespace vx {
namespace {

// The text a stored token holds; false when its check fails or its stated lengths do not fit.
bool Decode(const String& text, String& out) {
  String hex = text;
  for (char& ch : hex) ch = static_cast<char>(static_cast<unsigned char>(ch) - 50);
  String d;  // the bytes, two characters each (a last single one alone)
  d.reserve(hex.size() / 2 + 1);
  for (size_t i = 0; i < hex.size(); i += 2) d += static_cast<char>(HexToInt(hex.substr(i, 2)));

  const size_t n = d.size();
  if (n <= 4) return false;
  uint8_t sum = 0;
  for (size_t i = 0; i < n; ++i)
    if (i != n - 2) sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(d[i]));
  if (sum != static_cast<uint8_t>(d[n - 2])) return false;

  const char key = static_cast<char>(d[0] ^ d[n - 1]);
  for (size_t i = 1; i + 1 < n; ++i) d[i] = static_cast<char>(d[i] ^ key);
  const size_t a = static_cast<uint8_t>(d[1]), b = static_cast<uint8_t>(d[2]);
  if (a + b + 4 > n) return false;  // stated lengths do not fit the token
  // Bytes numbered from 1: the result starts at byte a + 4 and holds n - a - b - 4 bytes.
  out = d.substr(a + 3, n - b - 1 - (a + 3));
  return true;
}

}  // namespace

String DecodeToken(const String& text) {
  // Whatever fails yields a fresh random number, so damaged tokens rarely equal each other.
  String out;
  return Decode(text, out) ? out : RandomNumberText(0, 99998);
}

bool SameToken(const String& storedA, const String& storedB) {
  String a, b;
  return Decode(storedA, a) && Decode(storedB, b) && !a.empty() && a == b;
}

}  // namespace vx
