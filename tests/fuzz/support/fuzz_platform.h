// A fixed system for the targets: clock, process id, locale and cluster size, no trace viewer.
// Installed for the life of the scope; the platform before it comes back afterwards.
#pragma once
#include <cstdint>

#include "system/platform.h"

namespace vxfuzz {

class FuzzPlatform : public vx::Platform {
 public:
  explicit FuzzPlatform(uint32_t locale = 0x0409) : previous_(&vx::CurrentPlatform()), locale_(locale) {
    vx::SetPlatform(this);
  }
  ~FuzzPlatform() { vx::SetPlatform(previous_); }
  FuzzPlatform(const FuzzPlatform&) = delete;
  FuzzPlatform& operator=(const FuzzPlatform&) = delete;

  double NowDateTime() override { return now; }
  uint32_t ProcessId() override { return 4242; }
  uint32_t LocaleId() override { return locale_; }
  uint32_t DriveClusterSize(const vx::String&) override { return 4096; }
  void DeliverTrace(const char*, size_t) override {}
  void PostWindowMessage(uintptr_t, uint32_t, uintptr_t, intptr_t) override {}

  double now = 45000.5;  // 15 March 2023, 12:00

 private:
  vx::Platform* previous_;
  uint32_t locale_;
};

}  // namespace vxfuzz
