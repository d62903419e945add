// Decoding of the scrambled secret tokens of the settings and web lists.
#include <vector>

#include "package/package.h"
#include "text/utils.h"

namespace vx {

String DecodeToken(const String& text) {
  // Whatever fails below yields a fresh random number, so damaged tokens do not match each other.
  const String fallback = RandomNumberText(0, 99998);

  String hex = text;
  for (char& ch : hex) ch = static_cast<char>(static_cast<unsigned char>(ch) - 50);
  std::vector<uint8_t> d;
  d.reserve(hex.size() / 2 + 1);
  for (size_t i = 0; i < hex.size(); i += 2)
    d.push_back(static_cast<uint8_t>(HexToInt(hex.substr(i, 2)) & 0xFF));

  const size_t n = d.size();
  if (n <= 4) return fallback;
  uint8_t sum = 0;
  for (size_t i = 0; i < n; ++i)
    if (i != n - 2) sum = static_cast<uint8_t>(sum + d[i]);
  if (sum != d[n - 2]) return fallback;

  const uint8_t key = d[0] ^ d[n - 1];
  for (size_t i = 1; i + 1 < n; ++i) d[i] ^= key;
  const size_t a = d[1], b = d[2];
  if (a + b + 4 > n) return fallback;  // stated lengths do not fit the token
  // Bytes numbered from 1: the result starts at byte a + 4 and holds n - a - b - 4 bytes.
  return String(reinterpret_cast<const char*>(d.data()) + a + 3, n - b - 1 - (a + 3));
}

}  // namespace vx
