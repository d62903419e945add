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
#include "package/signature.h"
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

// Sets error to the error of a file that cannot be saved; what was written of it is removed.
void WriteFailed(const String& target, String& error) {
  DeleteFileA(target.c_str());
  g_writeFailed = true;
  DebugWriteLnPid(" DownloadFileAU: cannot write ", target);
  error = WriteErrorText(target);
}

// A fetched file from a folder, copied by the system (never held in memory as a whole); error
// is left as it is unless the copy fails.
void CopyFetched(const String& source, const String& target, String& error) {
  if (SameTextTrim(source, target)) return;  // already where it belongs
  if (CopyFileA(source.c_str(), target.c_str(), FALSE))
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
  else
    WriteFailed(target, error);
}

}  // namespace

bool AgentBox(AgentBoxKind kind, WindowHandle owner, const String& text) {
  static String (*const kCaptions[])() = {original_file::Error, original_file::Attention, original_file::Confirm};
  const String caption = kCaptions[kind]();
  const String buttons = original_file::BtnText();
  const int32_t charset = original_file::CharSet();
  if (kind == kAgentConfirm) return ConfirmBox(owner, text, caption, buttons, charset);
  if (kind == kAgentError)
    ErrorBox(owner, text, caption, buttons, charset);
  else
    AttentionBox(owner, text, caption, buttons, charset);
  return false;
}

bool DownloadFileAU(const String& location, const String& name, int kind, String& errorText) {
  errorText.clear();
  g_writeFailed = false;
  const String file = FetchFileName(name);
  const bool test = TestMode();
  const String& where = test ? TestModeURL() : location;
  String path = FetchPath(where, '\\', file);
  const int64_t size = file.empty() ? -1 : CurrentAgentHost().FileSize(path);
  DebugWriteLnPid(" DownloadFileAU: ", DbgBool(size >= 0) + " " + path);
  if (file.empty()) return false;
  const String saved = AgentFolder() + file;
  const String none;  // the destination of a download into memory, and other empty arguments
  String content;
  bool toFile = false;  // the fetched file is to lie at saved
  if (size >= 0) {
    if (kind == 1) {
      content = ReadFilePart(path, 0, 0);
    } else if (size > 0) {
      toFile = true;
      CopyFetched(path, saved, errorText);
    }
  } else if (!test && InternetConnected()) {
    static const char* const kKeys[] = {"s31", "s32", "s33"};
    static const char* const kTexts[] = {"Downloading INFO File...", "Downloading UPDATE File...",
                                         "Downloading INFORM File..."};
    Wait(500);
    SetStatusLine(AutoUpdateText(kKeys[kind - 1], kTexts[kind - 1]), original_file::FontName(),
                  original_file::CharSet(), original_file::FontSize());
    path = FetchPath(where, '/', file);
    SetDownloadAbortFlag(false);
    const bool interactive = InteractiveState() == 1;
    const bool show = kind == 2 && ConfirmDownload() && !interactive;
    if (show) ShowStubWindow(true);
    toFile = kind != 1;
    HTTP_DownloadFile_Incremental(interactive ? StubWindowHandle() : nullptr, path, toFile ? saved : none,
                                  content, DownloadProgress, errorText);
    if (show) ShowStubWindow(false);
    Wait(500);
  }
  bool result = false;
  if (kind == 1) {
    if (errorText.empty() && !content.empty()) {
      errorText = NotFoundPageText(content, path, "");
      if (errorText.empty()) {
        result = WriteFileText(saved, content, 0, false);
        if (!result) WriteFailed(saved, errorText);
      }
    }
    if (errorText[0] == '3') errorText.clear();  // an empty text reads as its terminating zero
    return result;
  }
  if (errorText.empty() && toFile) {
    // A fetched file with another token, or an update setup the publisher did not sign, is deleted.
    String message;
    if (!MatchesToken(saved, kind))
      message = CheckNotFoundPage(saved, none, where, "Bad Secret Token!");
    else if (kind == 2)
      message = SignatureRefusal(saved);
    result = message.empty();
    if (!result) {
      DeleteFileA(saved.c_str());
      AgentBox(kAgentError, nullptr, message);
    }
  }
  if (!errorText.empty() && path.size() > 2 &&
      (ConfirmDownload() || (g_writeFailed && InteractiveState() == 1))) {
    String text = errorText;
    if (!g_writeFailed) {
      static const char* const kKeys[] = {"s3", "s4", "s5"};
      static const char* const kTexts[] = {"File Download Aborted!", "File not Found!", "Unable to Download File!"};
      const int which = DownloadAbortFlag() ? 0 : path[1] == ':' ? 1 : 2;
      text = AutoUpdateText(kKeys[which], kTexts[which]);
      if (which > 0) {
        text += "<P><P>";
        text += path;
      }
    }
    AgentBox(kAgentAttention, nullptr, text);
  }
  return result;
}

bool MatchesToken(const String& path, int kind) {
  const String own = OwnPackage().AgentToken(false);
  if (kind == 2) return SameToken(TGFileInfo(*OpenPieceFile(path)).AgentToken(false), own);
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
  bool relaunch = false;
  if (GetOkToPerformAU(fetched, status)) {
    DebugWriteLnPid(" ==== PerformShot-1 ====");
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
    if (status != kOfferStatus) {  // no offer was made
      const bool test = TestMode();
      const bool connected = InternetConnected();
      DebugWriteLnPid(" TestMode=", DbgBool(test));
      DebugWriteLnPid(" InternetConnected=", DbgBool(connected));
      AgentBoxKind kind = kAgentError;
      WindowHandle owner = nullptr;
      if (writeFailed) {
        // the error of the fetch as it stands
      } else if (!test && !connected) {
        errorText = AutoUpdateText("s2", "");
      } else if (test || errorText.empty()) {
        kind = kAgentAttention;
        owner = ActiveWindowOwner();
        errorText = AutoUpdateText("s21", "") + "   (" + IntText(status) + ")   ";
      }
      AgentBox(kind, owner, errorText);
    }
  }
  DeleteFileA(info.c_str());
  // Last: the waits above keep messages flowing and would take the quit request that ends this
  // copy for its relaunch.
  if (relaunch) RelaunchAgent();
}

}  // namespace vx
