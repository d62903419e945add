#include "system/platform.h"

namespace vx {
namespace {

class UnknownSystem final : public Platform {
 public:
  double NowDateTime() override { return 0; }
  uint32_t ProcessId() override { return 0; }
  uint32_t LocaleId() override { return 0; }
  uint32_t DriveClusterSize(const String&) override { return 0; }
  void DeliverTrace(const char*, size_t) override {}
  void PostWindowMessage(uintptr_t, uint32_t, uintptr_t, intptr_t) override {}
};

UnknownSystem g_unknownSystem;
Platform* g_platform = &g_unknownSystem;

}  // namespace

Platform& CurrentPlatform() { return *g_platform; }

void SetPlatform(Platform* platform) { g_platform = platform != nullptr ? platform : &g_unknownSystem; }

}  // namespace vx
