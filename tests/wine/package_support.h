// Packages for the Windows tests, built in-process with the vxpack library.
#pragma once
#include <string>

#include "builder.h"

namespace vxtest {

// The launcher the packages are appended to: the one VX_LAUNCHER_UNDER_TEST names (the shipped
// 32-bit file, in the shipped-launcher suite), else the test tree's own vxstub.exe.
std::string LauncherUnderTest();
// A build description appending to the launcher under test, writing to output.
vxpack::BuildConfig LauncherPackageConfig(const std::string& output);
// The update agent of the tests' installed application: MyAppUpdate.exe, written to output,
// reading MyApp.info from updateUrl, with the secret token "SECRET".
vxpack::BuildConfig AgentPackageConfig(const std::string& output, const std::string& updateUrl);
// Builds it; on failure records a test failure and returns false.
bool BuildTestPackage(const vxpack::BuildConfig& cfg);

}  // namespace vxtest
