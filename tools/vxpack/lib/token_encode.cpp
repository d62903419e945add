// Token layout (bytes numbered from 1, n in all): d1 random; d2 = a^k and d3 = b^k; a filler
// bytes; the plain text; b - 1 filler bytes; the check byte d(n-1), the sum of all other bytes
// modulo 256; dn = d1^k. Bytes 2..n-2 are stored XOR k. The bytes are written as upper-case hex
// digits and every character is shifted up by 50, giving letters only.
#include "token_encode.h"

#include <chrono>
#include <random>
#include <vector>

namespace vxpack {

std::string EncodeToken(const std::string& plain, uint32_t seed) {
  std::mt19937 rng(seed);
  auto byte = [&rng]() { return static_cast<uint8_t>(rng() & 0xFF); };
  const std::string text = plain.size() > 240 ? plain.substr(0, 240) : plain;
  const uint8_t key = byte();
  const uint8_t first = byte();
  const uint8_t a = static_cast<uint8_t>(rng() % 8);
  const uint8_t b = static_cast<uint8_t>(1 + rng() % 8);  // the check byte is the last filler

  std::vector<uint8_t> d;
  d.push_back(first);
  d.push_back(a ^ key);
  d.push_back(b ^ key);
  for (int i = 0; i < a; ++i) d.push_back(byte());
  for (char c : text) d.push_back(static_cast<uint8_t>(c) ^ key);
  for (int i = 1; i < b; ++i) d.push_back(byte());
  d.push_back(0);  // check byte, set below
  d.push_back(first ^ key);
  uint8_t sum = 0;
  for (size_t i = 0; i < d.size(); ++i)
    if (i != d.size() - 2) sum = static_cast<uint8_t>(sum + d[i]);
  d[d.size() - 2] = sum;

  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(d.size() * 2);
  for (uint8_t v : d) {
    out += static_cast<char>(kHex[v >> 4] + 50);
    out += static_cast<char>(kHex[v & 15] + 50);
  }
  return out;
}

bool TokenIsIntact(const std::string& text) {
  if (text.size() < 10 || text.size() % 2 != 0) return false;
  std::vector<uint8_t> d;
  for (size_t i = 0; i < text.size(); i += 2) {
    int v = 0;
    for (size_t j = i; j < i + 2; ++j) {
      const int c = static_cast<unsigned char>(text[j]) - 50;
      const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
      if (digit < 0) return false;
      v = v * 16 + digit;
    }
    d.push_back(static_cast<uint8_t>(v));
  }
  const size_t n = d.size();
  uint8_t sum = 0;
  for (size_t i = 0; i < n; ++i)
    if (i != n - 2) sum = static_cast<uint8_t>(sum + d[i]);
  if (sum != d[n - 2]) return false;
  const uint8_t key = d[0] ^ d[n - 1];
  return static_cast<size_t>(d[1] ^ key) + static_cast<size_t>(d[2] ^ key) + 4 <= n;
}

uint32_t FreshSeed() {
  std::random_device rd;
  const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
  return rd() ^ static_cast<uint32_t>(now) ^ static_cast<uint32_t>(static_cast<uint64_t>(now) >> 32);
}

}  // namespace vxpack
