// What the portable core asks of the system it runs on, in one place: the clock, the process id,
// the user's locale, drive facts, the trace viewer and message posting. One platform serves the
// whole process: each Windows program installs the running system (platform_win.h) when it
// starts, tests install fakes. Until one is installed, the core runs on a system that knows
// nothing and has no viewer: time 0, process id 0, locale 0, cluster size 0, trace chunks and
// posted messages dropped.
#pragma once
#include <cstddef>
#include <cstdint>

#include "text/str.h"

namespace vx {

class Platform {
 public:
  // Local date and time as days since 30 December 1899, the time of day as the fraction.
  virtual double NowDateTime() = 0;
  virtual uint32_t ProcessId() = 0;
  // The locale identifier whose low 10 bits name the user's language; 0 (English) when unknown.
  virtual uint32_t LocaleId() = 0;
  // Bytes per cluster of the drive of folder (its first three characters, e.g. "C:\"); 0 when
  // unknown.
  virtual uint32_t DriveClusterSize(const String& folder) = 0;
  // Hands one trace chunk (1..128 bytes) to the viewer.
  virtual void DeliverTrace(const char* chunk, size_t len) = 0;
  // Posts a message to a window of this or another program.
  virtual void PostWindowMessage(uintptr_t window, uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;

 protected:
  ~Platform() = default;  // platforms live as long as the process or the test that installs them
};

Platform& CurrentPlatform();
void SetPlatform(Platform* platform);  // null: back to the system that knows nothing

}  // namespace vx
