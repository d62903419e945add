// The own package: the package information read from the running executable's own file. The
// main body opens it first and releases it last; every part that asks about "the package" asks
// this object. The agent flag is its copy of the package's flag, fixed for the life of the process.
#pragma once
#include "package/package.h"
#include "text/str.h"

namespace vx {

// Reads the package from the executable's own file, opened by the caller.
void OpenOwnPackage(ByteSource& exeFile);
void ReleaseOwnPackage();
const TGFileInfo& OwnPackage();  // an empty package before opening and after release
bool AgentFlag();

}  // namespace vx
