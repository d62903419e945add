// One update check's decisions, apart from fetching: the names fetched files are saved under, the
// inform file's fields, and the chain of tests that decides whether an offer is made.
#pragma once
#include <cstdint>

#include "text/str.h"

namespace vx {

// The name a fetched file is saved under in the agent's folder: the file-name part of name (after
// the last "\", "/" or ":"). Empty, so that nothing is fetched, when that part is empty, is made
// of dots and blanks only, holds a character no file name may hold, or names a device.
String FetchFileName(const String& name);
// Where a fetched file is looked for: where + separator ("\\" in a folder, "/" on a server) + name.
String FetchPath(const String& where, char separator, const String& name);

// An inform file's content (unscrambled first when it begins with "Scrambled=01"): fields split
// at "|", field 1 the token in its stored form, the text after the fourth "|" the inform text.
struct InformFile {
  String token;  // stored (scrambled) form; empty when the file holds no "|"
  String text;
};
InformFile ParseInformFile(const String& content);
// Whether the inform file's token is the agent's (both in their stored form; SameToken).
bool InformTokenMatches(const String& content, const String& storedAgentToken);

// The tests of the chain.
bool IsReAskDue();
bool IsValidVersion(int32_t installed);  // installed: the original-settings file's VersionOriginal
// Size test of the file on offer (the inform file in inform mode) at location (TestModeURL in
// test mode): a file in the folder by its size, else (not in test mode, connected) the server's.
bool CheckUpdateSize(const String& location, const String& updateName, const String& informName);

// Status codes: the number of tests passed, 6 when the offer is made.
constexpr int32_t kOfferStatus = 6;
// Runs the chain, logs " GetOkToPerformAU=" and the status, and returns status == 6.
bool GetOkToPerformAU(bool infoObtained, int32_t& status);

}  // namespace vx
