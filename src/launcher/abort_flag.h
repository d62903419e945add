// The process-wide flag that stops a running download; the stub window sets it on a close
// request, download callers clear it before they start.
#pragma once

namespace vx {

bool DownloadAbortFlag();
void SetDownloadAbortFlag(bool on);

}  // namespace vx
