// Scrambling of "Scrambled=01" values.
#include <gtest/gtest.h>

#include <random>

#include "text/scramble.h"

namespace vx {
namespace {

TEST(Scramble, KnownValue) {
  // Seed "!" (33): position 1 is XOR-ed with 1+33 = 0x22, position 2 with the low byte of 2-33 = 0xE1,
  // position 3 with 3+33 = 0x24.
  const std::string expected = std::string("Scrambled=01!") + static_cast<char>('A' ^ 0x22) +
                               static_cast<char>('B' ^ 0xE1) + static_cast<char>('C' ^ 0x24);
  EXPECT_EQ(ScrambleValueWithSeed("ABC", true, 33), expected);
  EXPECT_EQ(ScrambleValue(expected, false), "ABC");
}

TEST(Scramble, RoundTripsForEverySeed) {
  std::mt19937 rng(20261207);
  std::uniform_int_distribution<int> byte(1, 255), len(0, 300);
  for (int seed = 33; seed <= 122; ++seed) {
    std::string text(static_cast<size_t>(len(rng)), ' ');
    for (char& c : text) c = static_cast<char>(byte(rng));
    SCOPED_TRACE(seed);
    const std::string scrambled = ScrambleValueWithSeed(text, true, seed);
    ASSERT_EQ(scrambled.size(), text.size() + 13);
    EXPECT_EQ(scrambled.substr(0, 12), "Scrambled=01");
    EXPECT_EQ(static_cast<unsigned char>(scrambled[12]), seed);
    EXPECT_EQ(ScrambleValue(scrambled, false), text);
  }
}

TEST(Scramble, RandomSeedRoundTrip) {
  const std::string text = "http://updates.example.com/app/update.ini";
  const std::string scrambled = ScrambleValue(text, true);
  ASSERT_EQ(scrambled.size(), text.size() + 13);
  const int seed = static_cast<unsigned char>(scrambled[12]);
  EXPECT_GE(seed, 33);
  EXPECT_LE(seed, 122);
  EXPECT_NE(scrambled.substr(13), text);
  EXPECT_EQ(ScrambleValue(scrambled, false), text);
}

TEST(Scramble, ValuesAlreadyInFormAndShortOnes) {
  struct Case {
    std::string text;
    bool scramble;
    std::string result;
  } const cases[] = {
      {"Scrambled=01!abc", true, "Scrambled=01!abc"},  // already scrambled
      {"plain", false, "plain"},                       // already plain
      {"", false, ""},
      {"scrambled=01!abc", false, "scrambled=01!abc"},  // the mark is case-sensitive
      {"Scrambled=01!", false, ""},                     // mark and seed only
      {"Scrambled=01", false, ""},                      // mark alone: empty by rule
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ScrambleValue(c.text, c.scramble), c.result);
  }
  EXPECT_EQ(ScrambleValueWithSeed("", true, 90), "Scrambled=01Z");
}

}  // namespace
}  // namespace vx
