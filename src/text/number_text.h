// Decimal text of numbers, made here rather than by the C library's printf engine: integers,
// fixed-point and significant-digit forms of doubles, exact and rounded half to even.
#pragma once
#include <cstdint>

#include "text/str.h"

namespace vx {

String DecimalText(int64_t n);    // as "%lld"
String UnsignedText(uint64_t n);  // as "%llu"

// v with `decimals` digits after the point (0..20), as "%.*f": "-" for a negative sign (also on
// -0), "inf" and "nan" for values without digits.
String FixedText(double v, int decimals);

// |v| rounded to `count` significant digits (1..20): the digits, and in exponent the power of
// ten of the first one, as "%.*E" gives them ("1.50E+03" is "150" with 3). 0 gives zeros and
// exponent 0. v must be finite.
String SignificantDigits(double v, int count, int& exponent);

}  // namespace vx
