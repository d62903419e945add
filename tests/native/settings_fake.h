// In-memory settings files for the agent-settings and remote-control tests.
#pragma once
#include <map>
#include <string>
#include <tuple>

#include "agent/settings.h"

namespace vxtest {

class FakeSettingsStore : public vx::SettingsStore {
 public:
  using Key = std::tuple<std::string, std::string, std::string>;
  static constexpr const char* kOriginal = "C:\\app\\App.original";
  static constexpr const char* kInfo = "C:\\app\\App.info";

  vx::String OriginalFilePath() override { return kOriginal; }
  vx::String InfoFilePath() override { return kInfo; }
  vx::String Read(const vx::String& file, const char* section, const char* key, const char* def) override {
    auto it = values.find(Key(file, section, key));
    return it == values.end() ? def : vx::String(it->second);
  }
  bool Write(const vx::String& file, const char* section, const char* key, const vx::String& value) override {
    values[Key(file, section, key)] = value;
    return true;
  }
  char TimeSeparator() override { return separator; }

  void SetOriginal(const std::string& key, const std::string& value) {
    values[Key(kOriginal, "OriginalSetup", key)] = value;
  }
  void SetInfo(const std::string& key, const std::string& value) { values[Key(kInfo, "NewSetup", key)] = value; }
  std::string Original(const std::string& key) const {
    auto it = values.find(Key(kOriginal, "OriginalSetup", key));
    return it == values.end() ? "<missing>" : it->second;
  }

  std::map<Key, std::string> values;
  char separator = ':';
};

// Installs a fresh store and fresh agent state for one test; restores the platform's on exit.
class SettingsFixtureScope {
 public:
  explicit SettingsFixtureScope(FakeSettingsStore& store) {
    vx::SetSettingsStore(&store);
    vx::ResetTransientFlags();
  }
  ~SettingsFixtureScope() {
    vx::SetSettingsStore(nullptr);
    vx::ResetTransientFlags();
  }
};

}  // namespace vxtest
