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
  String Read(const String& file, const char* section, const char* key, const char* def) override {
    return IniRead(file, section, key, def);
  }
  bool Write(const String& file, const char* section, const char* key, const String& value) override {
    return IniWrite(file, section, key, value);
  }
  char TimeSeparator() override { return LocaleTimeSeparator(); }
};

IniSettingsStore g_iniFiles;

}  // namespace

SettingsStore& IniSettingsFiles() { return g_iniFiles; }

}  // namespace vx
