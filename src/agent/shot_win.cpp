// One update check of the agent: the fetch routine for its three kinds of file, the token test,
// the inform step and the check itself.
#include <windows.h>

#include "agent/agent_folder.h"
#include "agent/agent_host.h"
#include "agent/agent_state.h"
#include "agent/agent_win.h"
#include "agent/check_chain.h"
#include "agent/settings.h"
#include "launcher/remote.h"
#include "launcher/stub_window.h"
#include "net/inet_http.h"
#include "package/own_package.h"
#include "package/unpack_files_win.h"
#include "system/debug.h"
#include "system/files.h"
#include "system/platform.h"
#include "system/winutil_win.h"
#include "text/utils.h"
#include "ui/inform.h"
#include "ui/msgbox.h"

namespace vx {
namespace {

// Set when the last fetch could not save its file in the agent's folder: the check then ends
// with that error, whatever else it would have shown.
bool g_writeFailed = false;

void AgentErrorBox(const String& text) {
  ErrorBox(nullptr, text, original_file::Error(), original_file::BtnText(), original_file::CharSet());
}

void AgentAttentionBox(WindowHandle owner, const String& text) {
  AttentionBox(owner, text, original_file::Attention(), original_file::BtnText(),
               original_file::CharSet());
}

// The error of a file that cannot be saved; what was written of it is removed.
String WriteFailed(const String& target) {
  DeleteFileA(target.c_str());
  g_writeFailed = true;
  DebugWriteLnPid(" DownloadFileAU: cannot write ", target);
  return "Unable to Write File!<P><P>" + target;
}

// A fetched file from a folder, copied by the system (never held in memory as a whole).
String CopyFetched(const String& source, const String& target) {
  if (SameTextTrim(source, target)) return String();  // already where it belongs
  if (!CopyFileA(source.c_str(), target.c_str(), FALSE)) return WriteFailed(target);
  SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
  return String();
}

}  // namespace

bool DownloadFileAU(const String& location, const String& name, int kind, String& errorText) {
  errorText = String();
  g_writeFailed = false;
  bool result = false;
  String content, target;
  const String file = FetchFileName(name);
  const bool test = TestMode();
  const String where = test ? TestModeURL() : location;
  String path = where + "\\" + file;
  const bool local = !file.empty() && CurrentAgentHost().FileSize(path) >= 0;
  DebugWriteLnPid(" DownloadFileAU: ", DbgBool(local) + " " + path);
  if (file.empty()) return false;
  const String saved = AgentFolder() + file;
  if (local) {
    if (kind == 1) {
      content = ReadFilePart(path, 0, 0);
    } else if (CurrentAgentHost().FileSize(path) > 0) {
      target = saved;
      errorText = CopyFetched(path, target);
    }
  } else if (!test && InternetConnected()) {
    static const char* const kKeys[] = {"s31", "s32", "s33"};
    static const char* const kTexts[] = {"Downloading INFO File...", "Downloading UPDATE File...",
                                         "Downloading INFORM File..."};
    Wait(500);
    SetStatusLine(AutoUpdateText(kKeys[kind - 1], kTexts[kind - 1]), original_file::FontName(),
                  original_file::CharSet(), original_file::FontSize());
    path = where + "/" + file;
    SetDownloadAbortFlag(false);
    const bool interactive = InteractiveState() == 1;
    const bool show = kind == 2 && ConfirmDownload() && !interactive;
    if (show) ShowStubWindow(true);
    if (kind != 1) target = saved;
    HTTP_DownloadFile_Incremental(interactive ? StubWindowHandle() : nullptr, path, target, content,
                                  DownloadProgress, errorText);
    if (show) ShowStubWindow(false);
    Wait(500);
  }
  if (kind == 1) {
    if (errorText.empty() && !content.empty())
      errorText = CheckNotFoundPage(String(), content, path, "");
    if (errorText.empty() && !content.empty()) {
      if (WriteFileText(saved, content, 0, false))
        result = true;
      else
        errorText = WriteFailed(saved);
    }
    if (!errorText.empty() && errorText[0] == '3') errorText = String();
    return result;
  }
  if (errorText.empty() && !target.empty()) {
    result = true;
    if (!MatchesToken(target, kind)) {
      result = false;
      const String message = CheckNotFoundPage(target, String(), where, "Bad Secret Token!");
      DeleteFileA(target.c_str());
      AgentErrorBox(message);
    }
  }
  if (!errorText.empty() && path.size() > 2 &&
      (ConfirmDownload() || (g_writeFailed && InteractiveState() == 1))) {
    String text;
    if (g_writeFailed)
      text = errorText;
    else if (DownloadAbortFlag())
      text = AutoUpdateText("s3", "File Download Aborted!");
    else if (path[1] == ':')
      text = AutoUpdateText("s4", "File not Found!") + "<P><P>" + path;
    else
      text = AutoUpdateText("s5", "Unable to Download File!") + "<P><P>" + path;
    AgentAttentionBox(nullptr, text);
  }
  return result;
}

bool MatchesToken(const String& path, int kind) {
  const String own = OwnPackage().AgentToken(true);
  if (kind == 2) return TGFileInfo(*OpenPieceFile(path)).AgentToken(true) == own;
  if (kind == 3) return InformTokenMatches(ReadFilePart(path, 0, 0), own);
  return false;
}

bool PerformAutoInform() {
  DebugWriteLnPid(" ==== PerformAutoInform-1 ====");
  const String location = update_info::DownloadURL_UPDATE();
  const String name = update_info::NameOfInformFile();
  if (location.empty() || name.empty()) return false;
  DebugWriteLnPid(" ==== PerformAutoInform-2 ====");
  SetActivityState(2);
  PostClientNotification(kNotifyFileFetch, 1);
  String errorText;
  const bool fetched = DownloadFileAU(location, name, 3, errorText);
  PostClientNotification(kNotifyFileFetch, 2);
  if (!fetched) return false;
  DebugWriteLnPid(" ==== PerformAutoInform-3 ====");
  const InformFile inform = ParseInformFile(ReadFilePart(AgentFolder() + FetchFileName(name), 0, 0));
  const bool shown = ShowInform(StubWindowHandle(), AutoUpdateText("s34", "New Version"),
                                AutoUpdateText("s35", "Download"), inform.text,
                                update_info::DownloadURL_INFORM(), update_info::AutoInformW(),
                                update_info::AutoInformH(), false, original_file::FontName(),
                                original_file::FontSize(), original_file::CharSet());
  if (shown) original_file::SetVersionOriginal(update_info::VersionNew());
  DebugWriteLnPid(" ==== PerformAutoInform-4 ====");
  return shown;
}

void PerformShot() {
  DebugWriteLnPid(" Fire  ", DateTimeText(CurrentPlatform().NowDateTime()));
  ReadTestMode(true);
  SetActivityState(1);
  PostClientNotification(kNotifyInfoFetch, 1);
  String errorText;
  const bool fetched = DownloadFileAU(OwnPackage().UpdateUrl(), OwnPackage().InfoFileName(), 1, errorText);
  const bool writeFailed = g_writeFailed;
  PostClientNotification(kNotifyInfoFetch, 2);
  const String info = CurrentSettingsStore().InfoFilePath();
  if (fetched) SetFileAttributesA(info.c_str(), FILE_ATTRIBUTE_HIDDEN);
  original_file::SetProbeSecondsLast(NowSeconds());
  int32_t status = 0;
  bool offered = false, relaunch = false;
  if (GetOkToPerformAU(fetched, status)) {
    DebugWriteLnPid(" ==== PerformShot-1 ====");
    offered = true;
    original_file::SetReAskSecondsLast(NowSeconds());
    original_file::SetStamp(update_info::Stamp());
    if (update_info::AutoInform())
      PerformAutoInform();
    else
      relaunch = PerformAutoUpdate();
    DebugWriteLnPid(" ==== PerformShot-2 ====");
  }
  if (InteractiveState() == 1) {
    Wait(1000);
    ShowStubWindow(false);
    if (!offered) {
      const bool test = TestMode();
      const bool connected = InternetConnected();
      DebugWriteLnPid(" TestMode=", DbgBool(test));
      DebugWriteLnPid(" InternetConnected=", DbgBool(connected));
      if (writeFailed)
        AgentErrorBox(errorText);
      else if (!test && !connected)
        AgentErrorBox(AutoUpdateText("s2", ""));
      else if (!test && !errorText.empty())
        AgentErrorBox(errorText);
      else
        AgentAttentionBox(ActiveWindowOwner(),
                          AutoUpdateText("s21", "") + "   (" + IntText(status) + ")   ");
    }
  }
  DeleteFileA(info.c_str());
  // Last: the waits above keep messages flowing and would take the quit request that ends this
  // copy for its relaunch.
  if (relaunch) RelaunchAgent();
}

}  // namespace vx
