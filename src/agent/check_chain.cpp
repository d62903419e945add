#include "agent/check_chain.h"

#include <cstring>

#include "agent/agent_host.h"
#include "agent/agent_state.h"
#include "agent/settings.h"
#include "package/package.h"
#include "system/debug.h"
#include "text/paths.h"
#include "text/scramble.h"
#include "text/utils.h"

namespace vx {

String FetchFileName(const String& name) {
  String part = FileNamePart(name);
  String stem = "|";  // "|", the upper-case stem (up to the first "."), "|"
  bool named = false, inStem = true;
  for (char c : part) {
    if (static_cast<unsigned char>(c) < 32 || std::strchr("<>\"|?*", c) != nullptr) return String();
    if (c != '.' && c != ' ') named = true;
    if (c == '.') inStem = false;
    if (inStem && c != ' ') stem += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  }
  stem += '|';
  // Device names, with or without an extension ("COM0" to "COM9", "LPT0" to "LPT9" and the rest).
  const bool numbered = stem.size() == 6 && stem[4] >= '0' && stem[4] <= '9' &&
                        (stem.compare(1, 3, "COM") == 0 || stem.compare(1, 3, "LPT") == 0);
  if (!named || numbered || std::strstr("|CON|PRN|AUX|NUL|CONIN$|CONOUT$|CLOCK$|", stem.c_str()) != nullptr)
    return String();
  return part;
}

String FetchPath(const String& where, char separator, const String& name) {
  String path = where;
  path += separator;
  path += name;
  return path;
}

InformFile ParseInformFile(const String& content) {
  const String rest = content.compare(0, 12, "Scrambled=01") == 0 ? ScrambleValue(content, false) : content;
  InformFile f;
  // Steps past four "|" (a missing one is not stepped over); the token lies between the first two.
  size_t pos = 0;
  for (int i = 0; i < 4; ++i) {
    const size_t bar = rest.find('|', pos);
    if (bar == String::npos) continue;
    if (i == 1) f.token = rest.substr(pos, bar - pos);
    pos = bar + 1;
  }
  f.text = rest.substr(pos);
  return f;
}

bool InformTokenMatches(const String& content, const String& decodedAgentToken) {
  return DecodeToken(ParseInformFile(content).token) == decodedAgentToken;
}

bool IsReAskDue() {
  const int64_t interval = original_file::ReAskSecondsInterval();
  return NowSeconds() > original_file::ReAskSecondsLast() + interval && interval > 0;
}

bool IsValidVersion(int32_t installed) {
  String valid = update_info::ValidVersions();
  if (valid.empty()) return true;
  valid.insert(0, 1, ',');
  valid += ',';
  String version = IntText(installed);
  version.insert(0, 1, ',');
  version += ',';
  return valid.find(version) != String::npos;
}

bool CheckUpdateSize(const String& location, const String& updateName, const String& informName) {
  const bool inform = update_info::AutoInform();
  const int32_t expected = inform ? update_info::SizeOfInformFile() : update_info::SizeOfUpdateFile();
  const String name = FetchFileName(inform ? informName : updateName);
  int64_t actual = -1;
  const String& where = TestMode() ? TestModeURL() : location;
  AgentHost& host = CurrentAgentHost();
  if (!name.empty()) {
    actual = host.FileSize(FetchPath(where, '\\', name));
    if (actual < 0 && !TestMode() && host.InternetConnected())
      actual = host.HttpContentLength(FetchPath(where, '/', name));
  }
  return expected == Low32(actual);
}

bool GetOkToPerformAU(bool infoObtained, int32_t& status) {
  status = 0;
  if (infoObtained) {
    ++status;
    const int32_t installed = original_file::VersionOriginal();
    if (installed > 0) {
      ++status;
      if (update_info::Stamp() != original_file::Stamp() || IsReAskDue() || InteractiveState() == 1) {
        ++status;
        if (update_info::VersionNew() > installed) {
          ++status;
          if (IsValidVersion(installed)) {
            ++status;
            if (CheckUpdateSize(update_info::DownloadURL_UPDATE(), update_info::NameOfUpdateFile(),
                                update_info::NameOfInformFile()))
              ++status;
          }
        }
      }
    }
  }
  DebugWriteLnPid(" GetOkToPerformAU=", IntText(status));
  return status == kOfferStatus;
}

}  // namespace vx
