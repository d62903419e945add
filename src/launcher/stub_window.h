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
// bits, position, step; activity bar reset), kind 1 steps (step steps at once when step is above
// 1, as extraction gathers them; one otherwise); other kinds and the text are ignored.
void DownloadProgress(int32_t kind, int32_t first, int32_t max, int32_t position, int32_t step,
                      const String& text);

// Advances a progress bar whose step is stepSize exactly as steps PBM_STEPIT messages would,
// drawing it once for all the steps that stay within its range.
void StepProgressBar(WindowHandle bar, int32_t stepSize, int32_t steps);

}  // namespace vx
