// Starting the setup program of a package and waiting for it (Windows build).
#pragma once
#include "env/str.h"
namespace vx {

// Extracts the package into the work folder (or a roomier alternative), starts the setup
// program it marks with the handshake switches, waits for it and its dialog, and tells whether
// the setup reported completion (the completion atom was gone).
bool RunSetup(const String& workFolder, const String& packagePath, const String& agentName,
              const String& commandTail, bool foreground);

// The web-hosted variant of the installer job; the download itself comes with the network layer.
void RunWebHostedJob(const String& agentName);

}  // namespace vx
