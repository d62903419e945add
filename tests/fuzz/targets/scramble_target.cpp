// Scrambling of setting values: every text scrambled with any seed comes back unchanged, and
// marked texts of any form unscramble without harm.
#include <string>

#include "fuzz_input.h"
#include "fuzz_platform.h"
#include "fuzz_target.h"
#include "text/scramble.h"

namespace {

constexpr const char* kName = "scramble";

VX_FUZZ_TARGET(scramble) {
  vxfuzz::FuzzPlatform platform;
  vxfuzz::FuzzInput in(data, size);
  const int seed = 33 + in.Byte() % 90;
  const std::string text = in.Rest();
  const bool marked = text.compare(0, 12, vx::kScrambleMark) == 0;

  const vx::String scrambled = vx::ScrambleValueWithSeed(text, true, seed);
  VX_FUZZ_CHECK(kName, std::string(scrambled).compare(0, 12, vx::kScrambleMark) == 0, "a scrambled text is not marked");
  if (!marked) {
    VX_FUZZ_CHECK(kName, scrambled.size() == text.size() + 13, "a scrambled text has the wrong length");
    VX_FUZZ_CHECK(kName, std::string(vx::ScrambleValueWithSeed(scrambled, false, 0)) == text,
                  "a text does not survive scrambling");
    VX_FUZZ_CHECK(kName, std::string(vx::ScrambleValue(vx::ScrambleValue(text, true), false)) == text,
                  "a text does not survive scrambling with a fresh seed");
  } else {
    VX_FUZZ_CHECK(kName, std::string(scrambled) == text, "a marked text was scrambled again");
  }
  const vx::String plain = vx::ScrambleValue(text, false);
  VX_FUZZ_CHECK(kName, marked || std::string(plain) == text, "an unmarked text changed when unscrambled");
}

}  // namespace
