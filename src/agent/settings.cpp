#include "agent/settings.h"

#include "text/utils.h"
#include "ui/msgbox_buttons.h"

namespace vx {
namespace {

class NoSettingsFiles final : public SettingsStore {
 public:
  String OriginalFilePath() override { return String(); }
  String InfoFilePath() override { return String(); }
  String Read(const String&, const char*, const char*, const char* def) override { return def; }
  bool Write(const String&, const char*, const char*, const String&) override { return false; }
  char TimeSeparator() override { return ':'; }
};

NoSettingsFiles g_noFiles;
SettingsStore* g_store = &g_noFiles;
uint8_t g_transient[kTransientFlagCount] = {255, 255, 255, 255, 255, 255};

// The update-information file (info) or the original-settings file.
String FilePath(bool info) {
  SettingsStore& store = CurrentSettingsStore();
  return info ? store.InfoFilePath() : store.OriginalFilePath();
}

// Every key is read through these two.
String ReadIn(bool info, const char* section, const char* key, const char* def) {
  return CurrentSettingsStore().Read(FilePath(info), section, key, def);
}

int64_t IntIn(bool info, const char* section, const char* key, int64_t def) {
  return ReadSettingInt(FilePath(info), section, key, def);
}

void WriteOriginal(const char* key, const String& value) {
  CurrentSettingsStore().Write(FilePath(false), original_file::kOriginalSetup, key, value);
}

void WriteOriginalInt(const char* key, int64_t v) { WriteOriginal(key, IntText(v)); }

// Writes a time of the agent's time base and its readable copy beside it.
void WriteTimeWithCopy(const char* key, int64_t t) {
  WriteOriginalInt(key, t);
  String copyKey = "__";
  copyKey += key;
  WriteOriginal(copyKey.c_str(),
                DateTimeText(static_cast<double>(t) / 86400.0, CurrentSettingsStore().TimeSeparator()));
}

bool InfoSwitch(const char* key) {
  return ReadIn(true, update_info::kNewSetup, key, "0") == "1";
}

bool EffectiveSwitch(int order, const char* key) {
  const uint8_t flag = TransientFlag(order);
  return flag == kTransientUntouched ? InfoSwitch(key) : flag == 1;
}

}  // namespace

void SetSettingsStore(SettingsStore* store) { g_store = store != nullptr ? store : &g_noFiles; }

SettingsStore& CurrentSettingsStore() { return *g_store; }

int64_t ReadSettingInt(const String& file, const char* section, const char* key, int64_t def) {
  // A missing key reads as "", which does not convert: def, as its own text would give.
  const String text = CurrentSettingsStore().Read(file, section, key, "");
  int64_t v = 0;
  return TextToInt64(text, v) ? v : def;
}

namespace original_file {

const char* const kOriginalSetup = "OriginalSetup";
const char* const kUnInstall = "UnInstall";
const char* const kMsgBox = "MsgBox";

namespace {
int64_t ReadInt(const char* key) { return IntIn(false, kOriginalSetup, key, 0); }
String Dir(const char* key) { return ReadIn(false, "Directories", key, ""); }
String Box(const char* key, const char* def) { return ReadIn(false, kMsgBox, key, def); }
int32_t BoxInt(const char* key, int64_t def) { return Low32(IntIn(false, kMsgBox, key, def)); }
}  // namespace

int64_t ProbeSecondsInterval() { return ReadInt("ProbeSecondsInterval"); }
int64_t ProbeSecondsLast() { return ReadInt("ProbeSecondsLast"); }
int64_t ReAskSecondsInterval() { return ReadInt("ReAskSecondsInterval"); }
int64_t ReAskSecondsLast() { return ReadInt("ReAskSecondsLast"); }
int32_t VersionOriginal() { return Low32(ReadInt("VersionOriginal")); }
int32_t Stamp() { return Low32(ReadInt("Stamp")); }
String ProgramName() { return ReadIn(false, kOriginalSetup, "ProgramName", ""); }
String StartUpLink() { return ReadIn(false, kUnInstall, "StartUpLink", ""); }
String CheckforNewUpdateLink() { return ReadIn(false, kUnInstall, "CheckforNewUpdateLink", ""); }
String TargetDir() { return Dir("TargetDir"); }
String SharedDir() { return Dir("SharedDir"); }
String AuxiliaryDir() { return Dir("AuxiliaryDir"); }
String BtnText() { return Box("BtnText", kDefaultButtonList); }
String Error() { return Box("Error", "Error"); }
String Confirm() { return Box("Confirm", "Confirm"); }
String Attention() { return Box("Attention", "Attention"); }
int32_t CharSet() { return BoxInt("CharSet", 0); }
String FontName() { return Box("FontName", "Tahoma"); }
int32_t FontSize() { return BoxInt("FontSize", 8); }

void SetProbeSecondsInterval(int64_t v) { WriteOriginalInt("ProbeSecondsInterval", v); }
void SetReAskSecondsInterval(int64_t v) { WriteOriginalInt("ReAskSecondsInterval", v); }
void SetProbeSecondsLast(int64_t t) { WriteTimeWithCopy("ProbeSecondsLast", t); }
void SetReAskSecondsLast(int64_t t) { WriteTimeWithCopy("ReAskSecondsLast", t); }
void SetVersionOriginal(int32_t v) { WriteOriginalInt("VersionOriginal", v); }
void SetStamp(int32_t v) { WriteOriginalInt("Stamp", v); }

}  // namespace original_file

String AutoUpdateText(const char* key, const char* def) {
  return ReadIn(false, "AutoUpdate", key, def);
}

namespace update_info {

const char* const kNewSetup = "NewSetup";

namespace {
String Text(const char* section, const char* key) { return ReadIn(true, section, key, ""); }
int32_t Int(const char* section, const char* key, int64_t def) { return Low32(IntIn(true, section, key, def)); }
}  // namespace

String DownloadURL_UPDATE() { return Text(kNewSetup, "DownloadURL_UPDATE"); }
String NameOfUpdateFile() { return Text(kNewSetup, "NameOfUpdateFile"); }
String ShutDownMethod() { return Text(kNewSetup, "ShutDownMethod"); }
String RunningProcess() { return Text(kNewSetup, "RunningProcess"); }
String ProgramName() { return Text(kNewSetup, "ProgramName"); }
String ValidVersions() { return Text(kNewSetup, "ValidVersions"); }
int32_t SizeOfUpdateFile() { return Int(kNewSetup, "SizeOfUpdateFile", 0); }
int32_t VersionNew() { return Int(kNewSetup, "VersionNew", 0); }
int32_t Stamp() { return Int(kNewSetup, "Stamp", 0); }
bool AutoInform() { return IntIn(true, "General", "AutoInform", 0) == 1; }
String DownloadURL_INFORM() { return Text("AutoInform", "DownloadURL_INFORM"); }
String NameOfInformFile() { return Text("AutoInform", "NameOfInformFile"); }
int32_t SizeOfInformFile() { return Int("AutoInform", "SizeOfInformFile", 0); }
int32_t AutoInformW() { return Int("AutoInform", "AutoInformW", 360); }
int32_t AutoInformH() { return Int("AutoInform", "AutoInformH", 360); }
bool RemoveStartUpShortcut() { return InfoSwitch("RemoveStartUpShortcut"); }
bool RemoveCheckForNewUpdateShortcut() { return InfoSwitch("RemoveCheckForNewUpdateShortcut"); }

}  // namespace update_info

uint8_t TransientFlag(int order) {
  if (order < 1 || order > kTransientFlagCount) return kTransientUntouched;
  return g_transient[order - 1];
}

void SetTransientFlag(int order, int64_t value) {
  if (order < 1 || order > kTransientFlagCount) return;
  g_transient[order - 1] = static_cast<uint8_t>(value & 0xFF);
}

void ResetTransientFlags() {
  for (uint8_t& f : g_transient) f = kTransientUntouched;
}

String TransientFlagsText() {
  String text = "|";
  for (uint8_t f : g_transient) text += IntText(f) + "|";
  return text;
}

void ParseTransientFlags(const String& text) {
  for (int i = 0; i < kTransientFlagCount; ++i) {
    const String item = ListItem(text, i, "");
    int64_t v = 0;
    if (!item.empty() && TextToInt64(item, v)) SetTransientFlag(i + 1, v);
  }
}

bool ConfirmDownload() { return EffectiveSwitch(2, "RequestConfirmationBeforeDownload"); }
bool ConfirmInstall() { return EffectiveSwitch(3, "RequestConfirmationBeforeInstall"); }
bool Background() { return EffectiveSwitch(4, "BackgroundUpdate"); }
bool InformFinish() { return EffectiveSwitch(5, "InformFinish"); }
bool Restart() { return EffectiveSwitch(6, "RestartProcess"); }
bool AskBeforeCheck() { return TransientFlag(1) == 1; }

}  // namespace vx
