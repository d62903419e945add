#include "package_support.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace vxtest {

std::string LauncherUnderTest() {
  char buf[MAX_PATH];
  const DWORD n = GetEnvironmentVariableA("VX_LAUNCHER_UNDER_TEST", buf, MAX_PATH);
  if (n > 0 && n < MAX_PATH) return std::string(buf, n);
  return TestBinDir() + "vxstub.exe";
}

vxpack::BuildConfig LauncherPackageConfig(const std::string& output) {
  vxpack::BuildConfig cfg;
  cfg.output = output;
  cfg.launcher = LauncherUnderTest();
  cfg.threads = 1;
  cfg.tokenSeed = 7;
  return cfg;
}

vxpack::BuildConfig AgentPackageConfig(const std::string& output, const std::string& updateUrl) {
  vxpack::BuildConfig cfg = LauncherPackageConfig(output);
  cfg.agent = true;
  cfg.agentExe = "MyAppUpdate.exe";
  cfg.infoFile = "MyApp.info";
  cfg.updateUrl = updateUrl;
  cfg.agentToken = "SECRET";
  return cfg;
}

bool BuildTestPackage(const vxpack::BuildConfig& cfg) {
  vxpack::BuildReport report;
  std::string error;
  bool ok = vxpack::BuildPackage(cfg, nullptr, report, error);
  EXPECT_TRUE(ok) << "building " << cfg.output << ": " << error;
  return ok;
}

}  // namespace vxtest
