#include "agent/agent_host.h"

namespace vx {
namespace {

class NothingHost final : public AgentHost {
 public:
  int64_t FileSize(const String&) override { return -1; }
  bool InternetConnected() override { return false; }
  int32_t HttpContentLength(const String&) override { return -1; }
  String TestModeValue(const char*, const char* def) override { return def; }
  uint32_t TickCount() override { return 0; }
};

NothingHost g_nothing;
AgentHost* g_host = &g_nothing;

bool g_testMode = false;
String g_testModeUrl;
uint32_t g_lastQuery = 0;

}  // namespace

const char* const kTestModeKey = "HKEY_CURRENT_USER\\Software\\Brevanto\\Vornix\\AutoUpdate";

void SetAgentHost(AgentHost* host) { g_host = host != nullptr ? host : &g_nothing; }
AgentHost& CurrentAgentHost() { return *g_host; }

bool ReadTestMode(bool force) {
  const uint32_t now = g_host->TickCount();
  if (force || now - g_lastQuery > 30000u) {
    g_testMode = g_host->TestModeValue("TestMode", "0") == "1";
    g_testModeUrl = g_host->TestModeValue("TestModeURL", "");
  }
  g_lastQuery = now;
  return g_testMode;
}

bool TestMode() { return g_testMode; }
const String& TestModeURL() { return g_testModeUrl; }

void ResetTestMode() {
  g_testMode = false;
  g_testModeUrl = String();
  g_lastQuery = 0;
}

}  // namespace vx
