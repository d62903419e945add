// The agent's settings files in the agent's folder (agent_folder.h), named from the own package.
#include "agent/agent_folder.h"
#include "agent/settings.h"
#include "package/own_package.h"
#include "system/registry.h"
#include "system/winutil_win.h"

namespace vx {
namespace {

class IniSettingsStore final : public SettingsStore {
 public:
  String OriginalFilePath() override { return AgentFolder() + OwnPackage().OriginalFileName(); }
  String InfoFilePath() override { return AgentFolder() + OwnPackage().InfoFileName(); }
  String Read(const String& file, const String& section, const String& key,
              const String& def) override {
    return IniRead(file, section.c_str(), key.c_str(), def);
  }
  bool Write(const String& file, const String& section, const String& key,
             const String& value) override {
    return IniWrite(file, section.c_str(), key.c_str(), value);
  }
  char TimeSeparator() override { return LocaleTimeSeparator(); }
};

IniSettingsStore g_iniFiles;

}  // namespace

SettingsStore& IniSettingsFiles() { return g_iniFiles; }

}  // namespace vx
