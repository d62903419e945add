// Temporary space and span disks: the room check before extraction, the alternative work folder
// on another fixed drive, the space question and the disk prompt.
#pragma once
#include "package/package.h"
#include "text/str.h"

namespace vx {

// ---- Portable ----
// Megabytes for the user: 1 decimal above 10 MB, 2 from 1 MB, 3 below ("11.9", "1.00", "0.001").
String MbText(double bytes);
// The upper-cased first character of folder + ":" ("C:"), empty for an empty folder.
String TempDriveText(const String& folder);
// The space question, or empty when none is needed (room enough and no confirm-extract flag).
String SpaceQuestion(const String& folder, double required, double available, bool confirmExtract,
                     const String& languageBlock);

// Asks a Yes/No question; true for Yes.
class SpaceAsker {
 public:
  virtual ~SpaceAsker() = default;
  virtual bool Ask(const String& text, const String& caption, const String& buttons) = 0;
};
// Writes the trace lines and asks the space question when one is needed; true to go on.
bool ConfirmTempSpaceWith(const String& folder, double required, double available, bool confirmExtract,
                          const String& languageBlock, SpaceAsker& asker);

// The drive (C, D or E) for the alternative base: the first of them whose recorded free space
// (below 0: not recorded) is strictly greater than every earlier one's and than 0, when it is
// not tempDrive; else 0.
char AlternativeDrive(const double recorded[3], char tempDrive);

extern const char* const kSpanDiskKey;  // HKEY_CURRENT_USER\Software\Brevanto\Vornix\SpanDisk
bool ForcePromptValue(const String& value);  // exactly "1"

// ---- Win32 layer ----
// True when the package's required space is below the free space of folder and folder exists.
bool HasTempSpace(const String& folder, const TGFileInfo& package);
// Looks for a fixed drive (C, D, E) with more room than the temporary folder's drive, once.
bool FindAlternativeTemp();
// Created on the first call (an old folder of that name is deleted first); empty without base.
String AlternativeWorkFolder();
void RemoveAlternativeWorkFolder();
// The space question in a Yes/No box (no question: true).
bool ConfirmTempSpace(const String& folder, const TGFileInfo& package);
bool ForcePromptSetting();

}  // namespace vx
