// Starting the setup program of a package and waiting for it (Windows build).
#pragma once
#include "text/str.h"
#include "ui/handles.h"
namespace vx {

class TGFileInfo;

// The package's text for a launcher key (LauncherText of its language block).
String PackageText(const TGFileInfo& pkg, const char* key);
// The stub window's status line: the package's text for key, in the package's font.
void ShowPackageStatus(const TGFileInfo& pkg, const char* key);
// An error box with the package's caption, buttons and character set.
void PackageErrorBox(WindowHandle owner, const TGFileInfo& pkg, const String& text);

// Extracts the package into the work folder (or a roomier alternative), starts the setup
// program it marks with the handshake switches, waits for it and its dialog, and tells whether
// the setup reported completion (the completion atom was gone).
bool RunSetup(const String& workFolder, const String& packagePath, const String& agentName,
              const String& commandTail, bool foreground);

// The installer job, started by the stub window's first tick: extraction and setup (or the
// web-hosted download), then the work folder removed and the message loop ended.
void RunStubJob(void* window);

// Agent launcher: copies itself to "X_" + name and starts the copy.
void CreateAndRun_X_Exe();
// Span relay: copies itself to "Y_" + name in the work folder and starts that copy.
void SpanRelay();
// Posts "/STOP=", "/WM_MSG=" and "/TEST=" to the running agent copy; true when any was posted.
bool ForwardControlSwitches(bool agentWindowExisted);

// The web-hosted variant of the installer job; the download itself comes with the network layer.
void RunWebHostedJob(const String& agentName);

}  // namespace vx
