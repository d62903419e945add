// The stub window: the launcher's only own window (caption, icon, status line, main progress bar
// and a small activity bar), the engine of its one-second timer and the agent's remote-control
// endpoint. Windows build only; the header itself needs no windows.h.
#pragma once
#include <cstdint>

#include "launcher/remote.h"
#include "net/inet_http.h"
#include "text/str.h"
#include "ui/handles.h"

namespace vx {

// Registers the class, creates the hidden window and runs the message loop until WM_QUIT.
void RunStubWindow();

WindowHandle StubWindowHandle();  // null before creation and after destruction

// Sets the status line's text in a font of the given face, character set and size in points;
// character sets 177 and 178 lay it out right to left.
void SetStatusLine(const String& text, const String& fontName, int charset, int fontSize);
void ShowStubWindow(bool visible);
void ShowActivityBar(bool visible = true);

// The progress callback of extraction and downloads: kind 0 starts (range 0 .. max taken as 16
// bits, position, step; activity bar reset), kind 1 steps; other kinds and the text are ignored.
void DownloadProgress(int32_t kind, int32_t first, int32_t max, int32_t position, int32_t step,
                      const String& text);

}  // namespace vx
