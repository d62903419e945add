// Decimal text of integers and doubles, checked against fixed cases and against the C library's
// printf, which converts exactly and rounds half to even as these functions must.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "text/number_text.h"

namespace vx {
namespace {

std::string Printf(const char* format, int precision, double v) {
  char buf[1600];
  std::snprintf(buf, sizeof buf, format, precision, v);
  return buf;
}

// The "%.*E" form assembled from SignificantDigits, for comparing with printf.
std::string ScientificText(double v, int decimals) {
  int exponent = 0;
  const std::string digits = SignificantDigits(v, decimals + 1, exponent);
  std::string text = std::signbit(v) ? "-" : "";
  text += digits.substr(0, 1);
  if (decimals > 0) text += "." + digits.substr(1);
  const int magnitude = exponent < 0 ? -exponent : exponent;
  text += exponent < 0 ? "E-" : "E+";
  if (magnitude < 10) text += "0";
  return text + DecimalText(magnitude);
}

TEST(NumberText, Integers) {
  struct Case {
    int64_t value;
    const char* text;
  } const cases[] = {
      {0, "0"}, {7, "7"}, {-7, "-7"}, {1000000000, "1000000000"}, {INT64_MAX, "9223372036854775807"},
      {INT64_MIN, "-9223372036854775808"}, {-1, "-1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(DecimalText(c.value), c.text);
  }
  EXPECT_EQ(UnsignedText(UINT64_MAX), "18446744073709551615");
  EXPECT_EQ(UnsignedText(4294967295u), "4294967295");
  EXPECT_EQ(UnsignedText(0), "0");
}

TEST(NumberText, FixedCases) {
  struct Case {
    double value;
    int decimals;
    const char* text;
  } const cases[] = {
      {0, 3, "0.000"},        {11.87, 1, "11.9"},   {0.25, 1, "0.2"},   // tie: to even
      {0.35, 1, "0.3"},       // 0.35 is stored a little below .35
      {2.5, 0, "2"},          {3.5, 0, "4"},        {-1.5, 2, "-1.50"}, {-0.0, 1, "-0.0"},
      {1e30, 1, "1000000000000000019884624838656.0"}, {999.9996, 3, "1000.000"},
      {1.0 / 3, 20, "0.33333333333333331483"},          {5e-324, 3, "0.000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FixedText(c.value, c.decimals), c.text);
  }
  EXPECT_EQ(FixedText(HUGE_VAL, 2), "inf");
  EXPECT_EQ(FixedText(-HUGE_VAL, 2), "-inf");
}

TEST(NumberText, SignificantCases) {
  struct Case {
    double value;
    int count;
    const char* digits;
    int exponent;
  } const cases[] = {
      {1500, 15, "150000000000000", 3},  {0, 3, "000", 0},       {0.001, 2, "10", -3},
      {9.999999999999999, 15, "100000000000000", 1},          {DBL_MAX, 3, "180", 308},
      {5e-324, 2, "49", -324},          {DBL_MIN, 4, "2225", -308}, {125, 2, "12", 2},  // tie: to even
      {135, 2, "14", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.digits);
    int exponent = 99;
    EXPECT_EQ(SignificantDigits(c.value, c.count, exponent), c.digits);
    EXPECT_EQ(exponent, c.exponent);
  }
}

// Random doubles over the whole range (random bit patterns) and random short decimals.
TEST(NumberText, AgreesWithPrintf) {
  std::mt19937_64 rng(20240611);
  for (int i = 0; i < 20000; ++i) {
    double v;
    if (i % 2 == 0) {
      uint64_t bits = rng();
      std::memcpy(&v, &bits, sizeof v);
      if (!std::isfinite(v)) continue;
    } else {
      v = static_cast<double>(rng() % 2000001) / 1000.0 - 1000.0;  // ties of every kind
    }
    const int decimals = static_cast<int>(rng() % 16);
    SCOPED_TRACE(Printf("%.*a", 13, v));
    ASSERT_EQ(ScientificText(v, decimals), Printf("%.*E", decimals, v));
    if (std::fabs(v) < 1e40) {
      ASSERT_EQ(FixedText(v, decimals % 5), Printf("%.*f", decimals % 5, v));
    }
  }
}

}  // namespace
}  // namespace vx
