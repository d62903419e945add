// The running system as the update agent's host.
#include <windows.h>

#include "agent/agent_host.h"
#include "net/inet_http.h"
#include "system/registry.h"

namespace vx {
namespace {

class Win32Host final : public AgentHost {
 public:
  int64_t FileSize(const String& path) override {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d) ||
        (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
      return -1;
    return static_cast<int64_t>((static_cast<uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow);
  }
  bool InternetConnected() override { return vx::InternetConnected(); }
  int32_t HttpContentLength(const String& url) override { return vx::HttpContentLength(url); }
  String TestModeValue(const char* name, const char* def) override {
    return RegReadStr(kTestModeKey, name, def);
  }
  uint32_t TickCount() override { return GetTickCount(); }
};

Win32Host g_host;

}  // namespace

AgentHost& Win32AgentHost() { return g_host; }

}  // namespace vx
