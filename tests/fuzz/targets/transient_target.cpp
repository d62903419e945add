// The transient flags: any text applied, then written and read again, gives the same flags; the
// effective switches follow the flags and the update-information file's keys.
#include <string>

#include "agent/settings.h"
#include "fuzz_input.h"
#include "fuzz_target.h"
#include "settings_text.h"

namespace {

constexpr const char* kName = "transient";

VX_FUZZ_TARGET(transient) {
  vxfuzz::FuzzInput in(data, size);
  const uint8_t keys = in.Byte();
  const std::string text = in.Field();
  const std::string again = in.Field();

  vxfuzz::TextSettings store("", "[NewSetup]\nRequestConfirmationBeforeDownload=" + std::to_string(keys & 1) +
                                   "\nRequestConfirmationBeforeInstall=" + std::to_string((keys >> 1) & 1) +
                                   "\nBackgroundUpdate=" + std::to_string((keys >> 2) & 1) +
                                   "\nInformFinish=" + std::to_string((keys >> 3) & 1) +
                                   "\nRestartProcess=" + std::to_string((keys >> 4) & 1) + "\n");
  vx::ResetTransientFlags();
  vx::ParseTransientFlags(text);
  vx::ParseTransientFlags(again);
  uint8_t flags[vx::kTransientFlagCount];
  for (int i = 0; i < vx::kTransientFlagCount; ++i) flags[i] = vx::TransientFlag(i + 1);
  const vx::String written = vx::TransientFlagsText();

  vx::ResetTransientFlags();
  vx::ParseTransientFlags(written);
  for (int i = 0; i < vx::kTransientFlagCount; ++i)
    VX_FUZZ_CHECK(kName, vx::TransientFlag(i + 1) == flags[i], "a flag changed when written and read again");
  VX_FUZZ_CHECK(kName, vx::TransientFlagsText() == written, "the flags text changed when read again");

  const bool effective[] = {vx::ConfirmDownload(), vx::ConfirmInstall(), vx::Background(), vx::InformFinish(),
                            vx::Restart()};
  for (int i = 0; i < 5; ++i) {
    const uint8_t f = flags[i + 1];
    const bool expected = f == vx::kTransientUntouched ? ((keys >> i) & 1) != 0 : f == 1;
    VX_FUZZ_CHECK(kName, effective[i] == expected, "an effective switch does not follow its flag and key");
  }
  VX_FUZZ_CHECK(kName, vx::AskBeforeCheck() == (flags[0] == 1), "AskBeforeCheck does not follow its flag");
  vx::SetTransientFlag(static_cast<int>(in.Byte() % 9) - 1, in.I64());
  vx::ResetTransientFlags();
}

}  // namespace
