// Host build: no settings files; every key reads as its default and writes are refused.
#include "agent/settings.h"

namespace vx {
namespace {

class NoSettingsStore : public SettingsStore {
 public:
  String OriginalFilePath() override { return String(); }
  String InfoFilePath() override { return String(); }
  String Read(const String&, const String&, const String&, const String& def) override {
    return def;
  }
  bool Write(const String&, const String&, const String&, const String&) override {
    return false;
  }
  char TimeSeparator() override { return ':'; }
};

NoSettingsStore g_platformStore;

}  // namespace

SettingsStore& PlatformSettingsStore() {
  return g_platformStore;
}

}  // namespace vx
