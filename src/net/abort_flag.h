// The process-wide flag that stops a running download: download callers clear it before they
// start, the stub window sets it on a close request, the download loop tests it after every read.
#pragma once

namespace vx {

bool DownloadAbortFlag();
void SetDownloadAbortFlag(bool on);

}  // namespace vx
