// Host build: no settings files; every key reads as its default and writes are refused.
#include "agent/settings.h"

namespace vx {
namespace {

class NoSettingsStore : public SettingsStore {
 public:
  std::string OriginalFilePath() override { return std::string(); }
  std::string InfoFilePath() override { return std::string(); }
  std::string Read(const std::string&, const std::string&, const std::string&, const std::string& def) override {
    return def;
  }
  bool Write(const std::string&, const std::string&, const std::string&, const std::string&) override {
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
