// An in-memory host for the agent tests: files with sizes, an internet with sizes per URL, the
// test-mode registry values and a millisecond clock; counts what was asked.
#pragma once
#include <map>
#include <string>

#include "agent/agent_host.h"

namespace vxtest {

class FakeAgentHost : public vx::AgentHost {
 public:
  FakeAgentHost() {
    vx::SetAgentHost(this);
    vx::ResetTestMode();
  }
  ~FakeAgentHost() {
    vx::SetAgentHost(nullptr);
    vx::ResetTestMode();
  }
  FakeAgentHost(const FakeAgentHost&) = delete;
  FakeAgentHost& operator=(const FakeAgentHost&) = delete;

  int64_t FileSize(const vx::String& path) override {
    auto it = files.find(path);
    return it == files.end() ? -1 : it->second;
  }
  bool InternetConnected() override { return connected; }
  int32_t HttpContentLength(const vx::String& url) override {
    ++urlQueries;
    auto it = urls.find(url);
    return it == urls.end() ? -1 : it->second;
  }
  vx::String TestModeValue(const char* name, const char* def) override {
    ++registryReads;
    auto it = registry.find(name);
    return it == registry.end() ? def : vx::String(it->second);
  }
  uint32_t TickCount() override { return tick; }

  std::map<std::string, int64_t> files;
  std::map<std::string, int32_t> urls;
  std::map<std::string, std::string> registry;
  bool connected = false;
  uint32_t tick = 100000;
  int urlQueries = 0;
  int registryReads = 0;
};

}  // namespace vxtest
