// Exact decimal conversion of doubles with a small fixed-size big number: v * 10^k is formed
// exactly (v = m * 2^e, so v * 10^k = m * 5^k * 2^(e+k)) and rounded half to even.
#include "text/number_text.h"

#include <cstring>

namespace vx {
namespace {

// Unsigned integer of up to 40 32-bit words, least significant first. 1280 bits hold every
// product that the conversions below form (at most about 1100 bits).
class BigNumber {
 public:
  explicit BigNumber(uint64_t v) {
    words_[0] = static_cast<uint32_t>(v);
    words_[1] = static_cast<uint32_t>(v >> 32);
    used_ = words_[1] != 0 ? 2 : words_[0] != 0 ? 1 : 0;
  }

  bool IsZero() const { return used_ == 0; }
  bool IsOdd() const { return used_ != 0 && (words_[0] & 1) != 0; }

  void Multiply(uint32_t factor) {
    uint64_t carry = 0;
    for (int i = 0; i < used_; ++i) {
      carry += static_cast<uint64_t>(words_[i]) * factor;
      words_[i] = static_cast<uint32_t>(carry);
      carry >>= 32;
    }
    if (carry != 0 && used_ < kWords) words_[used_++] = static_cast<uint32_t>(carry);
  }

  void AddOne() {
    for (int i = 0; i < used_; ++i)
      if (++words_[i] != 0) return;
    if (used_ < kWords) words_[used_++] = 1;
  }

  // Divides in place; returns the remainder.
  uint32_t Divide(uint32_t divisor) {
    uint64_t rest = 0;
    for (int i = used_; i-- > 0;) {
      rest = (rest << 32) | words_[i];
      words_[i] = static_cast<uint32_t>(rest / divisor);
      rest %= divisor;
    }
    Trim();
    return static_cast<uint32_t>(rest);
  }

  // Multiplies by 2^bits (not hot: a few words, a few steps).
  void ShiftLeft(int bits) {
    for (; bits > 0; bits -= 31) Multiply(uint32_t{1} << (bits < 31 ? bits : 31));
  }

  // Divides by 2^bits; true when a one bit was shifted out.
  bool ShiftRight(int bits) {
    bool lost = false;
    for (; bits > 0; bits -= 31) lost = Divide(uint32_t{1} << (bits < 31 ? bits : 31)) != 0 || lost;
    return lost;
  }

  String Decimal() {
    char buf[kWords * 10 + 1];
    char* p = buf + sizeof buf;
    do {
      uint32_t chunk = Divide(1000000000u);
      for (int i = 0; i < 9 && (chunk != 0 || !IsZero()); ++i) {
        *--p = static_cast<char>('0' + chunk % 10);
        chunk /= 10;
      }
    } while (!IsZero());
    if (p == buf + sizeof buf) *--p = '0';
    return String(p, static_cast<size_t>(buf + sizeof buf - p));
  }

 private:
  static constexpr int kWords = 40;
  void Trim() {
    while (used_ > 0 && words_[used_ - 1] == 0) --used_;
  }
  uint32_t words_[kWords] = {};
  int used_ = 0;
};

// m * 2^e == |v| with m below 2^53.
void SplitDouble(double v, uint64_t& m, int& e) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  const int biased = static_cast<int>((bits >> 52) & 0x7ff);
  m = bits & ((uint64_t{1} << 52) - 1);
  if (biased == 0) {
    e = -1074;  // subnormal
  } else {
    m |= uint64_t{1} << 52;
    e = biased - 1075;
  }
}

// |v| * 10^k rounded half to even, in decimal digits.
String ScaledDigits(double v, int k) {
  uint64_t m;
  int e;
  SplitDouble(v, m, e);
  BigNumber x(m);
  // One bit more than needed: its lowest bit is the rounding half.
  int twos = e + k + 1;
  for (int i = 0; i < k; ++i) x.Multiply(5);
  if (twos > 0) {
    x.ShiftLeft(twos);
    twos = 0;
  }
  bool sticky = false;
  for (int i = 0; i < -k; ++i) sticky = x.Divide(5) != 0 || sticky;
  if (twos < 0) sticky = x.ShiftRight(-twos) || sticky;
  const bool half = x.IsOdd();
  x.ShiftRight(1);
  if (half && (sticky || x.IsOdd())) x.AddOne();
  return x.Decimal();
}

bool IsNegative(double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  return (bits >> 63) != 0;
}

}  // namespace

namespace {

// The decimal digits of magnitude, after a "-" when negative.
String SignedDigits(uint64_t magnitude, bool negative) {
  char buf[24];
  char* p = buf + sizeof buf;
  do {
    *--p = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (negative) *--p = '-';
  return String(p, static_cast<size_t>(buf + sizeof buf - p));
}

}  // namespace

String UnsignedText(uint64_t n) { return SignedDigits(n, false); }

String DecimalText(int64_t n) {
  return SignedDigits(n >= 0 ? static_cast<uint64_t>(n) : uint64_t{0} - static_cast<uint64_t>(n), n < 0);
}

String FixedText(double v, int decimals) {
  String text;
  if (v != v) {
    text = "nan";
  } else if (v - v != 0) {
    text = "inf";
  } else {
    if (decimals < 0) decimals = 0;
    if (decimals > 20) decimals = 20;
    text = ScaledDigits(v, decimals);
    const size_t need = static_cast<size_t>(decimals) + 1;
    if (text.size() < need) text.insert(0, need - text.size(), '0');
    if (decimals > 0) text.insert(text.size() - static_cast<size_t>(decimals), 1, '.');
  }
  if (IsNegative(v)) text.insert(0, 1, '-');  // also on -0 and a negative NaN
  return text;
}

String SignificantDigits(double v, int count, int& exponent) {
  if (count < 1) count = 1;
  if (count > 20) count = 20;
  exponent = 0;
  if (v == 0 || v != v || v - v != 0) return String(static_cast<size_t>(count), '0');
  uint64_t m;
  int e;
  SplitDouble(v, m, e);
  int topBit = e;  // v lies in [2^topBit, 2^(topBit+1))
  for (uint64_t rest = m; rest > 1; rest >>= 1) ++topBit;
  // floor(topBit * log10(2)), at most one below the true exponent.
  exponent = (topBit * 78913) >> 18;
  for (;;) {
    const String digits = ScaledDigits(v, count - 1 - exponent);
    if (digits.size() > static_cast<size_t>(count)) {
      ++exponent;
    } else if (digits.size() < static_cast<size_t>(count)) {
      --exponent;
    } else {
      return digits;
    }
  }
}

}  // namespace vx
