// What the update agent asks of the system beyond its settings files: file sizes, the internet
// connection, a remote file's size, the per-user test-mode registry values and a millisecond
// clock. The launcher installs the running system (Win32AgentHost); tests install fakes. Until one
// is installed nothing exists: no file, no connection, no registry value, time 0.
#pragma once
#include <cstdint>

#include "text/str.h"

namespace vx {

class AgentHost {
 public:
  virtual int64_t FileSize(const String& path) = 0;  // -1 when path is not an existing file
  virtual bool InternetConnected() = 0;
  virtual int32_t HttpContentLength(const String& url) = 0;  // -1 when it cannot be had
  // A value under the test-mode key, as text (a number as its decimal form); def when missing.
  virtual String TestModeValue(const char* name, const char* def) = 0;
  virtual uint32_t TickCount() = 0;  // milliseconds

 protected:
  ~AgentHost() = default;
};

void SetAgentHost(AgentHost* host);  // null: back to the host where nothing exists
AgentHost& CurrentAgentHost();
AgentHost& Win32AgentHost();  // Win32 layer

// "HKEY_CURRENT_USER\Software\Brevanto\Vornix\AutoUpdate"
extern const char* const kTestModeKey;

// Test mode as last read: on exactly when the value TestMode is "1"; TestModeURL replaces every
// fetch location while it is on. A forced read, or one more than 30 s after the previous call
// (forced or not), reads the registry; every call restarts the 30 s.
bool ReadTestMode(bool force);
bool TestMode();
const String& TestModeURL();
void ResetTestMode();  // off, no location, never read

}  // namespace vx
