// The launcher's main body: run mode, single instance, work folder (the own package is
// package/own_package.h).
#pragma once
#include "package/own_package.h"
#include "text/str.h"

namespace vx {

int StubMain();

const String& WindowClassName();
const String& WorkFolder();  // computed and created on first call

bool IsAgentLauncher();
bool IsAgentCopy();
bool IsSpanRelay();
bool IsSpanCopy();
bool AgentWindowExists();

}  // namespace vx
