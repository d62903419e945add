// Win32 files under extraction, shared by the launcher's host and tools that run the engine.
// Windows build only.
#pragma once
#include <memory>

#include "package/unpack.h"
#include "text/str.h"

namespace vx {

// A package file (a piece) opened for reading, other readers and writers allowed. The launcher
// reads every package file through it, its texts as well as its blocks.
std::unique_ptr<ByteSource> OpenPieceFile(const String& path);
// Opens path for appending (or replacing); existed tells whether the file was there before.
// Never null: a file that cannot be opened reports it through Ok() and ErrorText().
std::unique_ptr<UnpackOutput> OpenTargetFile(const String& path, bool append, bool& existed);

}  // namespace vx
