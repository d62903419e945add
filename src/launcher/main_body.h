// The launcher's main body: own package, run mode, single instance, work folder.
#pragma once
#include "package/package.h"
#include "text/str.h"

namespace vx {

int StubMain();

const TGFileInfo& OwnPackage();
bool AgentFlag();
const String& WindowClassName();
String WorkFolder();  // computed and created on first call

bool IsAgentLauncher();
bool IsAgentCopy();
bool IsSpanRelay();
bool IsSpanCopy();
bool AgentWindowExists();

}  // namespace vx
