// Text, list, number and date helpers.
#include <gtest/gtest.h>

#include <random>

#include "fake_platform.h"
#include "text/utils.h"

namespace vx {
namespace {

TEST(Lists, CountAndItems) {
  struct Case {
    const char* list;
    int count;
    int index;
    const char* item;  // with default "?"
  } const cases[] = {
      {"|a|b|c|", 3, 1, "b"},
      {"|a|b", 0, 0, "a"},      // no closing separator: no count, yet item 0 reads
      {"|a|b", 0, 1, "?"},      // trailing text is not an item
      {"|a||c|", 3, 1, "?"},    // empty item gives the default
      {"|a||c|", 3, 2, "c"},
      {"|a|b|c|", 3, 3, "?"},
      {"|a|b|c|", 3, -1, "?"},
      {"", 0, 0, "?"},
      {"|", 0, 0, "?"},
      {";x;y;", 2, 1, "y"},     // any character separates
      {"|a;b|", 1, 0, "a;b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.list) + " #" + std::to_string(c.index));
    EXPECT_EQ(ListCount(c.list), c.count);
    EXPECT_EQ(ListItem(c.list, c.index, "?"), c.item);
  }
}

TEST(Lists, MonthList) {
  EXPECT_EQ(ListCount(kMonthList), 13);
  EXPECT_EQ(ListItem(kMonthList, 0, "?"), "?");
  EXPECT_EQ(ListItem(kMonthList, 1, "?"), "JAN");
  EXPECT_EQ(ListItem(kMonthList, 12, "?"), "DEC");
}

TEST(Lists, SetItem) {
  struct Case {
    const char* before;
    int index;
    const char* value;
    const char* after;
  } const cases[] = {
      {"", 2, "v", "|||v|"},
      {"|a|b|", 0, "x", "|x|b|"},
      {"|a|b|", 3, "x", "|a|b||x|"},
      {";a;b;", 1, "", ";a;;"},
      {"|a|b", -1, "x", "|"},        // malformed list counts 0 items
      {"|a|b|", -1, "x", "|a|b|"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.before) + " #" + std::to_string(c.index));
    String list = c.before;
    ListSetItem(list, c.index, c.value);
    EXPECT_EQ(list, c.after);
  }
}

TEST(Lists, SetThenReadRoundTrip) {
  std::mt19937 rng(12345);
  String list;
  std::vector<std::string> model;
  for (int step = 0; step < 200; ++step) {
    const int index = static_cast<int>(rng() % 12);
    const std::string value = (rng() % 4 == 0) ? "" : "v" + std::to_string(rng() % 1000);
    ListSetItem(list, index, value);
    if (model.size() <= static_cast<size_t>(index)) model.resize(index + 1);
    model[index] = value;
    ASSERT_EQ(ListCount(list), static_cast<int>(model.size()));
    for (size_t i = 0; i < model.size(); ++i)
      ASSERT_EQ(ListItem(list, static_cast<int>(i), "-"), model[i].empty() ? "-" : model[i]);
  }
}

TEST(Lists, KeyedValues) {
  struct Case {
    const char* list;
    const char* key;
    const char* value;  // with default "?"
  } const cases[] = {
      {"|Charset=0|FontSize=9|", "FontSize", "9"},
      {"|Charset=0|FontSize=9|", "fontsize=", "9"},
      {"|Key=|", "Key", ""},            // present but empty: not the default
      {"| Name =Value|", "NAME", "Value"},
      {"|Name= spaced |", "Name", " spaced "},
      {"|AName=1|Name=2|", "Name", "2"},  // only whole keys at an item start
      {"|Name=1|", "Other", "?"},
      {"|Name=1", "Name", "?"},           // not closed by the separator
      {"||", "", "?"},
      {"|Last=x", "Last", "?"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.list) + " " + c.key);
    EXPECT_EQ(ListValue(c.list, c.key, "?"), c.value);
  }
}

TEST(Search, Positions) {
  EXPECT_EQ(PosCI("b", "aBc"), 2);
  EXPECT_EQ(PosCI("x", "abc"), 0);
  EXPECT_EQ(PosCI("", "abc"), 0);
  struct Case {
    const char* sub;
    const char* text;
    int start, pos, posCI;
  } const cases[] = {
      {"a", "abcabc", 1, 1, 1},
      {"a", "abcabc", 2, 4, 4},
      {"A", "abcabc", 2, 0, 4},
      {"a", "abcabc", 0, 0, 0},
      {"c", "abcabc", 6, 6, 6},
      {"c", "abcabc", 7, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.sub) + " in " + c.text + " from " + std::to_string(c.start));
    EXPECT_EQ(PosFrom(c.sub, c.text, c.start), c.pos);
    EXPECT_EQ(PosFromCI(c.sub, c.text, c.start), c.posCI);
  }
  EXPECT_EQ(LastPos("ab", "abxab"), 4);
  EXPECT_EQ(LastPos("AB", "abxab"), 0);
  EXPECT_EQ(EndPosCI(".EXE", "setup.exe"), 1);
  EXPECT_EQ(EndPosCI(".exe", "a.exe.txt"), 5);
  EXPECT_EQ(EndPosCI(".exe", "a.txt"), 0);
}

TEST(Search, Compare) {
  EXPECT_TRUE(EndsWith(".Exe", "a.exe", true));
  EXPECT_FALSE(EndsWith(".Exe", "a.exe", false));
  EXPECT_FALSE(EndsWith("long.exe", ".exe", true));
  EXPECT_TRUE(SameTextTrim("  Abc\t", "aBC"));
  EXPECT_FALSE(SameTextTrim("a b", "ab"));
  EXPECT_EQ(TextBefore("key=val=x", "="), "key");
  EXPECT_EQ(TextBefore("keyval", "="), "");
  EXPECT_EQ(TextAfter("key=val=x", "="), "val=x");
  EXPECT_EQ(TextAfter("keyval", "="), "keyval");
  EXPECT_EQ(ReverseText("abc"), "cba");
  EXPECT_EQ(Trim("\t a b \r\n"), "a b");
  EXPECT_EQ(UpperCase("aZ9\xe4"), "AZ9\xe4");
}

TEST(Replace, Table) {
  struct Case {
    const char* text;
    const char* find;
    const char* repl;
    const char* cs;  // ReplaceAll
    const char* ci;  // ReplaceAllCI
  } const cases[] = {
      {"Windows", "Windows", "Windows NT", "Windows NT", "Windows NT"},
      {"a windows Windows", "Windows", "X", "a windows X", "a X X"},
      {"aaa", "a", "aa", "aaaaaa", "aaaaaa"},
      {"abc", "", "x", "abc", "abc"},
      {"MixEd text", "TEXT", "t", "MixEd text", "MixEd t"},
      {"xAbAbx", "ab", "-", "xAbAbx", "x--x"},
      {"| a| b|", "| ", "|", "|a|b|", "|a|b|"},
      {"aabb", "ab", "", "", ""},  // a deletion joins the neighbours, which can match again
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " / " + c.find + " / " + c.repl);
    EXPECT_EQ(ReplaceAll(c.text, c.find, c.repl), c.cs);
    EXPECT_EQ(ReplaceAllCI(c.text, c.find, c.repl), c.ci);
  }
  // A find text holding character 0 makes the filler move on to another code.
  const std::string withNul("a\0b", 3);
  EXPECT_EQ(ReplaceAll(std::string("x\0a\0by", 6), withNul, "\x01"), std::string("x\0\x01y", 4));
}

// The replacement as its steps read: a filler character chosen, then the first occurrence in
// the working copy replaced again and again until none is left.
std::string ReplaceBySteps(const std::string& text, const std::string& find, const std::string& repl,
                           bool ignoreCase) {
  if (find.empty()) return text;
  const std::string needle = ignoreCase ? std::string(UpperCase(find)) : find;
  int filler = 0;
  while (filler < 256 && needle.find(static_cast<char>(filler)) != std::string::npos) ++filler;
  std::string work = ignoreCase ? std::string(UpperCase(text)) : text;
  std::string result = text;
  for (size_t p = work.find(needle); p != std::string::npos; p = work.find(needle)) {
    work.replace(p, needle.size(), repl.size(), static_cast<char>(filler));
    result.replace(p, needle.size(), repl);
  }
  return result;
}

TEST(Replace, SameAsTheStepsOnRandomTexts) {
  std::mt19937 gen(42);
  const std::string letters = "aAbB\x01";  // few letters: many matches, joins and case mixes
  auto random = [&](size_t maxLen) {
    std::string t(gen() % (maxLen + 1), ' ');
    for (char& c : t) c = letters[gen() % letters.size()];
    return t;
  };
  for (int i = 0; i < 20000; ++i) {
    const std::string text = random(24), find = random(3), repl = random(3);
    SCOPED_TRACE("\"" + text + "\" / \"" + find + "\" / \"" + repl + "\"");
    ASSERT_EQ(ReplaceAll(text, find, repl), ReplaceBySteps(text, find, repl, false));
    ASSERT_EQ(ReplaceAllCI(text, find, repl), ReplaceBySteps(text, find, repl, true));
  }
}

// Large texts (a big language block reaches ReplaceAll through every lookup): the results of
// cases whose step-by-step cost grows with the square of the length.
TEST(Replace, LargeTexts) {
  const size_t n = 256 * 1024;
  std::string tags;
  for (size_t i = 0; i < n / 3; ++i) tags += i % 2 ? "<b>" : "<B>";
  EXPECT_EQ(ReplaceAllCI(tags, "<B>", ""), "");
  EXPECT_EQ(ReplaceAllCI(tags, "<b>", "\r\n").size(), 2 * (n / 3));
  // Every removal joins an "a" and a "b" into the next occurrence.
  EXPECT_EQ(ReplaceAll(std::string(n / 2, 'a') + std::string(n / 2, 'b'), "ab", ""), "");
  const std::string list = "|" + std::string(n, 'x') + "| Key =v|";
  EXPECT_EQ(ListValue(list, "key", "none"), "v");
  std::string spaced;
  for (size_t i = 0; i < n / 2; ++i) spaced += "| ";
  EXPECT_EQ(ReplaceAll(spaced, "| ", "|"), std::string(n / 2, '|'));
}

TEST(Replace, StripAndUnquote) {
  struct Case {
    const char* text;
    bool loose;
    const char* out;
  } const cases[] = {
      {"\"", false, ""},           {"\"", true, ""},
      {"\"ab\"", false, "ab"},     {"\"\"", false, ""},
      {"\"ab", false, "\"ab"},     {"\"ab", true, "ab"},
      {"ab\"", true, "ab"},        {"ab", true, "ab"},
      {"", true, ""},              {"x", true, "x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + (c.loose ? " loose" : " strict"));
    EXPECT_EQ(Unquote(c.text, c.loose), c.out);
  }
  EXPECT_EQ(StripChar("'a'", '\'', false), "a");
}

TEST(Numbers, MinMaxClamp) {
  EXPECT_EQ(Min(-3, 2), -3);
  EXPECT_EQ(Max(-3, 2), 2);
  EXPECT_EQ(Clamp(5, 1, 25), 5);
  EXPECT_EQ(Clamp(0, 1, 25), 1);
  EXPECT_EQ(Clamp(30, 1, 25), 25);
  EXPECT_EQ(Clamp(5, 10, 3), 3);  // lo > hi ends at hi
  EXPECT_EQ(Clamp(0, 10, 3), 3);
}

TEST(Numbers, ZeroPadAndText) {
  EXPECT_EQ(ZeroPad(7, 2), "07");
  EXPECT_EQ(ZeroPad(123, 2), "123");
  EXPECT_EQ(ZeroPad(0, 4), "0000");
  EXPECT_EQ(ZeroPad(5, 0), "5");
  EXPECT_EQ(IntText(INT64_MIN), "-9223372036854775808");
}

TEST(Numbers, ParseBase) {
  struct Case {
    const char* text;
    int base;
    int64_t value;
  } const cases[] = {
      {"ff", 16, 255},   {"1G", 16, 15},  {" 10 ", 10, 10}, {"", 16, 0},
      {"777", 8, 511},   {"19", 8, 17},   {"G", 16, -1},    {"FFFFFFFFFFFFFFFF", 16, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " base " + std::to_string(c.base));
    EXPECT_EQ(ParseBase(c.text, c.base), c.value);
  }
  EXPECT_EQ(HexToInt("1FFFFFFFF"), -1);
  EXPECT_EQ(HexToInt("7fffffff"), INT32_MAX);
}

TEST(Numbers, TextToInt64) {
  struct Case {
    const char* text;
    bool ok;
    int64_t value;
  } const cases[] = {
      {"42", true, 42},        {"+42", true, 42},     {"-42", true, -42},
      {"$1f", true, 31},       {"x1F", true, 31},     {"0X10", true, 16},
      {"-$10", true, -16},     {"TRUE", false, 0},    {"", false, 0},
      {"-", false, 0},         {"0x", false, 0},      {"1 2", false, 0},
      {"12a", false, 0},       {"9223372036854775807", true, INT64_MAX},
      {"-9223372036854775808", true, INT64_MIN},      {"9223372036854775808", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    int64_t v = 0;
    EXPECT_EQ(TextToInt64(c.text, v), c.ok);
    if (c.ok) {
      EXPECT_EQ(v, c.value);
    }
  }
}

TEST(Numbers, RandomNumberTextStaysInRange) {
  for (int i = 0; i < 100; ++i) {
    int64_t v = 0;
    ASSERT_TRUE(TextToInt64(RandomNumberText(10000, 100000), v));
    EXPECT_GE(v, 10000);
    EXPECT_LE(v, 100000);
  }
  EXPECT_EQ(RandomNumberText(5, 5), "5");
}

TEST(Numbers, RandomNumberTextIsSeededFromThePlatformClock) {
  vxtest::FakePlatform platform;
  platform.now = 45000.25;
  const String first = RandomNumberText(10000, 100000);
  EXPECT_EQ(RandomNumberText(10000, 100000), first);  // seeded afresh from the same time
  platform.now += 1.0 / 1024;  // 84375 milliseconds later
  EXPECT_NE(RandomNumberText(10000, 100000), first);
}

TEST(Dates, KnownDays) {
  struct Case {
    CivilTime t;
    double dt;
  } const cases[] = {
      {{1899, 12, 30, 0, 0, 0}, 0.0},
      {{1900, 1, 1, 0, 0, 0}, 2.0},
      {{2000, 1, 1, 0, 0, 0}, 36526.0},
      {{2023, 3, 15, 12, 0, 0}, 45000.5},
      {{1899, 12, 29, 6, 0, 0}, -1.25},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dt);
    EXPECT_DOUBLE_EQ(EncodeDateTime(c.t), c.dt);
    const CivilTime d = DecodeDateTime(c.dt);
    EXPECT_EQ(d.year, c.t.year);
    EXPECT_EQ(d.month, c.t.month);
    EXPECT_EQ(d.day, c.t.day);
    EXPECT_EQ(d.hour, c.t.hour);
  }
}

TEST(Dates, EncodeDecodeRoundTrip) {
  std::mt19937 rng(777);
  for (int i = 0; i < 2000; ++i) {
    const int year = 1900 + static_cast<int>(rng() % 300);
    const int month = 1 + static_cast<int>(rng() % 12);
    const int day = 1 + static_cast<int>(rng() % 28);
    const CivilTime t{year, month, day, static_cast<int>(rng() % 24), static_cast<int>(rng() % 60),
                      static_cast<int>(rng() % 60)};
    const CivilTime d = DecodeDateTime(EncodeDateTime(t));
    ASSERT_EQ(d.year, t.year);
    ASSERT_EQ(d.month, t.month);
    ASSERT_EQ(d.day, t.day);
    ASSERT_EQ(d.hour, t.hour);
    ASSERT_EQ(d.minute, t.minute);
    ASSERT_EQ(d.second, t.second);
  }
}

TEST(Dates, Texts) {
  const double dt = EncodeDateTime({2026, 12, 7, 9, 5, 3});
  EXPECT_EQ(DateText(dt), "07-DEC-2026");
  EXPECT_EQ(DateTimeText(dt), "07-DEC-2026  09:05:03");
  EXPECT_EQ(DateTimeText(EncodeDateTime({1999, 1, 31, 23, 59, 59}), '.'), "31-JAN-1999  23.59.59");
}

TEST(Dates, SecondsRoundHalfToEven) {
  // 1/256 day is exactly 337.5 seconds, so these fractions land on exact halves.
  struct Case {
    double dt;
    int64_t seconds;
  } const cases[] = {
      {0.0, 0},
      {1.0 / 256, 338},
      {3.0 / 256, 1012},
      {5.0 / 256, 1688},
      {7.0 / 256, 2362},
      {-1.0 / 256, -338},
      {45000 + 1.0 / 256, int64_t{45000} * 86400 + 338},
      {45000 + 3.0 / 256, int64_t{45000} * 86400 + 1012},
      {0.5, 43200},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dt);
    EXPECT_EQ(DateTimeToSeconds(c.dt), c.seconds);
  }
}

TEST(Dates, NowSecondsIsThePlatformClockInWholeSeconds) {
  struct Case {
    CivilTime t;
    double extra;  // fraction of a day on top
    int64_t seconds;
  } const cases[] = {
      {{2023, 3, 15, 12, 0, 0}, 0.0, int64_t{45000} * 86400 + 43200},
      {{2023, 3, 15, 12, 0, 0}, 0.4 / 86400, int64_t{45000} * 86400 + 43200},
      {{2023, 3, 15, 12, 0, 0}, 0.6 / 86400, int64_t{45000} * 86400 + 43201},
      {{1899, 12, 30, 0, 0, 0}, 0.0, 0},
  };
  vxtest::FakePlatform platform;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.seconds);
    platform.now = EncodeDateTime(c.t) + c.extra;
    EXPECT_EQ(NowSeconds(), c.seconds);
  }
}

}  // namespace
}  // namespace vx
