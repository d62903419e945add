// File names inside a package: only plain relative paths below the extraction folder are used.
#pragma once
#include "text/str.h"
namespace vx {

// The longest file name a package may hold: with the work folder in front of it, a name must
// stay within the system's path limit of 260 characters.
constexpr size_t kMaxEntryName = 240;

// Checks a file name from a block header. On success relative holds the name with its parts
// joined by single backslashes ("." parts and doubled separators dropped) and the result is
// true. A name that is empty, ends with a separator, begins with "\" or "/" (roots, UNC paths),
// holds ":" (drives, streams), a ".." part (or a part of dots and blanks only), control or
// wildcard characters, a part that is a device name (CON, NUL, COM1, ...) or that ends in a dot
// or blank (which Windows drops), or is longer than kMaxEntryName gives false and a short reason.
bool CheckEntryName(const String& name, String& relative, String& reason);

// Whether a name part is one Windows opens as a device: CON, PRN, AUX, NUL, CONIN$, CONOUT$,
// CLOCK$, COM and LPT with a digit (superscript 1 to 3 included), also with an extension
// ("nul.txt") and with blanks before it.
bool IsDeviceName(const String& part);

// The folder part of a relative name ("bin\tool.dll" -> "bin"), empty for a plain file name.
String EntryFolder(const String& relative);

// The name with ASCII letters folded to lower case: Windows treats such names as one file.
String EntryKey(const String& relative);

}  // namespace vx
