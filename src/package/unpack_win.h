// Extraction in the launcher: the Win32 host of the extraction engine (files, boxes, progress).
// Windows build only.
#pragma once
#include <cstdint>

#include "text/str.h"

namespace vx {

// The progress callback form of the stub window (DownloadProgress): kind 0 start, 1 step.
using UnpackProgressFn = void (*)(int32_t kind, int32_t first, int32_t max, int32_t position, int32_t step,
                                  const String& text);

// Extracts every piece of the package at packagePath into workFolder (no trailing backslash),
// building the update agent agentName when it is not empty, asking for further disks with
// promptText ("<DISK_NUM>" replaced) in an OK/Cancel box with the given caption, buttons and
// charset. runCommand receives the setup's name item ("*" and parameters included) or empty;
// checksumOk whether the last piece examined passed its checksum test.
// A damaged or unsafe package (a name leaving the work folder, a block past the end of its
// piece, data zlib cannot inflate, a trailer whose counts do not fit) ends the extraction with
// an error box and an empty runCommand; the result is then false. So does the first failed
// write, whose box (the first in the process only) comes with the size report. The caller
// deletes the work folder as always.
bool UnpackPackage(const String& packagePath, const String& workFolder, const String& agentName,
                   bool forcePrompt, int charset, const String& buttons, const String& caption,
                   const String& promptText, UnpackProgressFn progress, String& runCommand,
                   bool& checksumOk);

// The box of a damaged or unsafe package: text (markup), then that the setup will not be
// started; ownerless, with the default caption.
void ShowUnpackError(const String& text, const String& buttons, int charset);

}  // namespace vx
