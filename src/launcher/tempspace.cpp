// Space question texts, megabyte figures, the choice of an alternative drive, the disk prompt.
#include "launcher/tempspace.h"

#include <cmath>

#include "system/debug.h"
#include "text/number_text.h"
#include "text/utils.h"
#include "ui/lang_defaults.h"
#include "ui/language.h"

namespace vx {

const char* const kSpanDiskKey = "HKEY_CURRENT_USER\\Software\\Brevanto\\Vornix\\SpanDisk";

String MbText(double bytes) {
  double v = bytes < 0 || std::isnan(bytes) ? 0 : bytes;
  if (v != 0) v /= 1048576.0;
  const int decimals = v > 10 ? 1 : v >= 1 ? 2 : 3;
  if (!std::isfinite(v) || v > 1e30) v = 1e30;
  return FixedText(v, decimals);
}

String TempDriveText(const String& folder) {
  if (folder.empty()) return String();
  String drive = UpperCase(StrView(folder.data(), 1));
  drive += ':';
  return drive;
}

String SpaceQuestion(const String& folder, double required, double available, bool confirmExtract,
                     const String& languageBlock) {
  String message;
  if (confirmExtract) message = LauncherText(languageBlock, "s2");
  if (required >= available) message = LauncherText(languageBlock, "s3");
  if (message.empty()) return message;
  static const char* const kTail[] = {"s4", "s5", "s6"};
  for (const char* key : kTail) message += LauncherText(languageBlock, key);
  message = ReplaceAll(message, "<DRIVE>", TempDriveText(folder));
  message = ReplaceAll(message, "<SPACE_REQ>", MbText(required));
  return ReplaceAll(message, "<SPACE_AVAIL>", MbText(available));
}

bool ConfirmTempSpaceWith(const String& folder, double required, double available, bool confirmExtract,
                          const String& languageBlock, SpaceAsker& asker) {
  DebugWriteLn("SpaceReq=", DbgFloat(required));
  DebugWriteLn("SpaceAvail=", DbgFloat(available));
  DebugWriteLn("ConfirmExtract=", DbgBool(confirmExtract));
  const String message = SpaceQuestion(folder, required, available, confirmExtract, languageBlock);
  if (message.empty()) return true;
  return asker.Ask(message, LauncherText(languageBlock, "Confirm"), LauncherText(languageBlock, "BtnText"));
}

char AlternativeDrive(const double recorded[3], char tempDrive) {
  char pick = 0;
  double best = 0;
  for (int i = 0; i < 3; ++i) {
    if (recorded[i] > best) {
      best = recorded[i];
      pick = static_cast<char>('C' + i);
    }
  }
  const char temp = tempDrive >= 'a' && tempDrive <= 'z' ? static_cast<char>(tempDrive - 'a' + 'A') : tempDrive;
  return pick == temp ? 0 : pick;
}

bool ForcePromptValue(const String& value) { return value == "1"; }

}  // namespace vx
