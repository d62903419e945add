#include "net/abort_flag.h"

namespace vx {
namespace {
bool g_downloadAbort = false;
}  // namespace

bool DownloadAbortFlag() { return g_downloadAbort; }
void SetDownloadAbortFlag(bool on) { g_downloadAbort = on; }

}  // namespace vx
