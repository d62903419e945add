// File names inside a package: only plain relative paths below the extraction folder are used.
#pragma once
#include "text/str.h"
namespace vx {

// Checks a file name from a block header. On success relative holds the name with its parts
// joined by single backslashes ("." parts and doubled separators dropped) and the result is
// true. A name that is empty, ends with a separator, begins with "\" or "/" (roots, UNC paths),
// holds ":" (drives, streams), a ".." part (or a part of dots and blanks only), control or
// wildcard characters, or a part that is a device name (CON, NUL, COM1, ...) gives false and
// a short reason.
bool CheckEntryName(const String& name, String& relative, String& reason);

// The folder part of a relative name ("bin\tool.dll" -> "bin"), empty for a plain file name.
String EntryFolder(const String& relative);

// The name with ASCII letters folded to lower case: Windows treats such names as one file.
String EntryKey(const String& relative);

}  // namespace vx
