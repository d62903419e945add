// Extraction in the launcher: the Win32 host of the extraction engine (files, boxes, progress).
// Windows build only.
#pragma once
#include <cstdint>
#include <memory>

#include "package/byte_source.h"
#include "package/unpack.h"
#include "text/str.h"

namespace vx {

// The progress callback form of the stub window (DownloadProgress): kind 0 start, 1 step.
using UnpackProgressFn = void (*)(int32_t kind, int32_t first, int32_t max, int32_t position, int32_t step,
                                  const String& text);

// The launcher's side of an extraction: the boxes it shows and the bars it moves.
struct UnpackUi {
  int charset = 0;                       // character set of every box
  String buttons;                        // button captions of every box
  String caption;                        // caption of the disk question
  String errorCaption;                   // caption of the error boxes
  UnpackProgressFn progress = nullptr;   // DownloadProgress of the stub window, or none
};

// Extracts every piece of the package at request.packagePath into request.workFolder, building
// the update agent request.agentName when it is not empty and asking for further disks with
// request.promptText in an OK/Cancel box. firstPiece is the first piece when the caller has it
// open already (it is then read from there and closed with the piece); else it is opened here.
// The result tells all: the run command, the checksum test of the last piece examined, a
// cancelled disk question, and the failure with its text.
// A damaged or unsafe package (a name leaving the work folder, a block past the end of its
// piece, data zlib cannot inflate, a trailer whose counts do not fit) ends the extraction with
// an error box and an empty run command. So does the first failed write, whose box (the first
// in the process only) comes with the size report. The caller deletes the work folder as always.
UnpackResult UnpackPackage(const UnpackRequest& request, const UnpackUi& ui,
                           std::unique_ptr<ByteSource> firstPiece = nullptr);

// The box of a damaged or unsafe package: text (markup), then that the setup will not be
// started; ownerless.
void ShowUnpackError(const String& text, const String& caption, const String& buttons, int charset);

}  // namespace vx
