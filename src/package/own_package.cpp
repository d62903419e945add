#include "package/own_package.h"

namespace vx {
namespace {

TGFileInfo* g_ownPackage = nullptr;
bool g_agentFlag = false;

}  // namespace

void OpenOwnPackage(ByteSource& exeFile) {
  delete g_ownPackage;
  g_ownPackage = new TGFileInfo(exeFile);
  g_agentFlag = g_ownPackage->AgentFlag();
}

void ReleaseOwnPackage() {
  delete g_ownPackage;
  g_ownPackage = nullptr;
}

const TGFileInfo& OwnPackage() {
  static const TGFileInfo empty;
  return g_ownPackage != nullptr ? *g_ownPackage : empty;
}

bool AgentFlag() { return g_agentFlag; }

}  // namespace vx
