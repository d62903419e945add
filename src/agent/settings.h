// The auto-update agent's settings: the original-settings file (installed version, schedule
// state), the update-information file (the offer fetched at each check) and the six transient
// flags, per-run overrides of some update-information switches.
//
// Both files are INI files in the agent's folder (agent_folder.h); every accessor opens, reads or writes and closes
// them again (through the SettingsStore), so changes by other processes are seen at once.
#pragma once
#include <cstdint>

#include "text/str.h"

namespace vx {

// Where the two files are and how one key is read or written. The launcher installs the INI files
// of its agent folder when it starts (IniSettingsFiles); tests install in-memory stores.
class SettingsStore {
 public:
  virtual String OriginalFilePath() = 0;
  virtual String InfoFilePath() = 0;
  // The stored text, or def when the file or key is missing.
  virtual String Read(const String& file, const char* section, const char* key, const char* def) = 0;
  virtual bool Write(const String& file, const char* section, const char* key, const String& value) = 0;
  // Separator of the readable time copies (the user's locale on Windows).
  virtual char TimeSeparator() = 0;

 protected:
  ~SettingsStore() = default;  // stores live as long as the process or the test that installs them
};

// Null, as before the first call: no files, every key reads as its default and writes are refused.
void SetSettingsStore(SettingsStore* store);
SettingsStore& CurrentSettingsStore();
// Win32 layer: the two INI files in the agent's folder (agent_folder.h), named from the own package.
SettingsStore& IniSettingsFiles();

// A key read as a signed 64-bit integer: text that does not convert gives def.
int64_t ReadSettingInt(const String& file, const char* section, const char* key, int64_t def);
// Low 32 bits of a 64-bit value, as a signed number.
inline int32_t Low32(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }

// ---- Original-settings file ----
namespace original_file {

extern const char* const kOriginalSetup;  // "OriginalSetup"
extern const char* const kUnInstall;      // "UnInstall"
extern const char* const kMsgBox;         // "MsgBox"

int64_t ProbeSecondsInterval();
int64_t ProbeSecondsLast();
int64_t ReAskSecondsInterval();
int64_t ReAskSecondsLast();
int32_t VersionOriginal();
int32_t Stamp();
String ProgramName();
String StartUpLink();
String CheckforNewUpdateLink();
// [Directories]
String TargetDir();
String SharedDir();
String AuxiliaryDir();
// [MsgBox]: the look of the agent's boxes and status texts.
String BtnText();    // "|&OK|&Cancel|&Yes|&No|&Abort|&Retry|&Ignore|"
String Error();      // "Error"
String Confirm();    // "Confirm"
String Attention();  // "Attention"
int32_t CharSet();   // 0
String FontName();   // "Tahoma"
int32_t FontSize();  // 8

void SetProbeSecondsInterval(int64_t v);
void SetReAskSecondsInterval(int64_t v);
// Each also writes its readable copy ("__" + key) as a date and time.
void SetProbeSecondsLast(int64_t t);
void SetReAskSecondsLast(int64_t t);
void SetVersionOriginal(int32_t v);
void SetStamp(int32_t v);

}  // namespace original_file

// A message text of the original-settings file's [AutoUpdate] section; def when missing.
String AutoUpdateText(const char* key, const char* def);

// ---- Update-information file ----
namespace update_info {

extern const char* const kNewSetup;  // "NewSetup"

String DownloadURL_UPDATE();
String NameOfUpdateFile();
String ShutDownMethod();
String RunningProcess();
String ProgramName();
String ValidVersions();
int32_t SizeOfUpdateFile();
int32_t VersionNew();
int32_t Stamp();
// [General] AutoInform: on when the stored integer is 1 ("01" counts, "1.0" does not).
bool AutoInform();
// [AutoInform]
String DownloadURL_INFORM();
String NameOfInformFile();
int32_t SizeOfInformFile();
int32_t AutoInformW();  // 360
int32_t AutoInformH();  // 360
// File-only switches: on exactly when the stored text is "1".
bool RemoveStartUpShortcut();
bool RemoveCheckForNewUpdateShortcut();

}  // namespace update_info

// ---- Transient flags ----
// Order 1..6: AskBeforeCheck, ConfirmDownload, ConfirmInstall, Background, InformFinish, Restart.
// Each is one byte, 255 (untouched) at start.
constexpr int kTransientFlagCount = 6;
constexpr uint8_t kTransientUntouched = 255;

uint8_t TransientFlag(int order);               // 255 for an order outside 1..6
void SetTransientFlag(int order, int64_t value);  // stores the low byte; other orders ignored
void ResetTransientFlags();                     // all back to 255
String TransientFlagsText();               // "|255|1|0|0|0|255|"
// Applies a text form: item i sets flag i+1; a missing or non-numeric item leaves it unchanged.
void ParseTransientFlags(const String& text);

// Effective switches: a touched flag decides (on exactly when 1); an untouched one leaves the
// decision to the update-information file's key (on exactly when "1").
bool ConfirmDownload();
bool ConfirmInstall();
bool Background();
bool InformFinish();
bool Restart();
bool AskBeforeCheck();  // transient only

}  // namespace vx
