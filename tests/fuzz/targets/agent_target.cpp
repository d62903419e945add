// The update agent on settings files it did not write: the original-settings and update-information
// files as INI texts, an inform file and the agent's token. Input: a mode byte, a remote command
// byte and value, then fields original file, update-information file, inform file, agent token.
#include <string>

#include "agent/agent_host.h"
#include "agent/agent_state.h"
#include "agent/check_chain.h"
#include "agent/perform_update.h"
#include "agent/schedule.h"
#include "agent/settings.h"
#include "fuzz_input.h"
#include "fuzz_platform.h"
#include "fuzz_target.h"
#include "launcher/remote.h"
#include "package/entry_name.h"
#include "package/package.h"
#include "settings_text.h"
#include "text/utils.h"

namespace {

constexpr const char* kName = "agent";

class Host : public vx::AgentHost, public vx::UpdateHost {
 public:
  explicit Host(uint8_t mode) : mode_(mode) {
    vx::SetAgentHost(this);
    vx::ResetTestMode();
    vx::ResetAgentState();
  }
  ~Host() {
    vx::SetStopRequest(-1);
    vx::SetAgentHost(nullptr);
    vx::ResetTestMode();
    vx::ResetAgentState();
  }
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // Agent host: every file and URL has size 1234; test mode from the mode byte.
  int64_t FileSize(const vx::String&) override { return (mode_ & 1) ? 1234 : -1; }
  bool InternetConnected() override { return (mode_ & 2) != 0; }
  int32_t HttpContentLength(const vx::String&) override { return 1234; }
  vx::String TestModeValue(const char* name, const char* def) override {
    if (vx::SameTextCI(name, "TestMode")) return (mode_ & 4) ? "1" : "0";
    if (vx::SameTextCI(name, "TestModeURL")) return "C:\\Test";
    return def;
  }
  uint32_t TickCount() override { return 100000; }

  // Update host: answers from the mode byte; the program runs for a few questions.
  bool Ask(const vx::String&, bool) override { return (mode_ & 8) != 0; }
  void Notice(const vx::String&, bool) override {}
  bool FetchUpdate(const vx::String&, const vx::String& name, vx::String& path) override {
    path = "C:\\App\\" + vx::FetchFileName(name);
    return (mode_ & 16) != 0;
  }
  vx::String ProgramPath(const vx::String& text) override { return text; }
  bool IsRunning(const vx::String&) override { return running_-- > 0; }
  void Apply(vx::ShutDown, const vx::String&) override {}
  void WaitForEnd(const vx::String&) override { running_ = 0; }
  bool RunSetup(const vx::String&, const vx::String&, bool) override { return (mode_ & 32) != 0; }
  void Delete(const vx::String&) override {}
  void Start(const vx::String&) override {}

 private:
  uint8_t mode_;
  int running_ = 3;
};

// A name the agent fetches is a plain file name that extraction's name rules accept as it is.
void CheckFetchName(const vx::String& name) {
  const vx::String fetched = vx::FetchFileName(name);
  if (fetched.empty()) return;
  vx::String relative, reason;
  VX_FUZZ_CHECK(kName, vx::CheckEntryName(fetched, relative, reason) && relative == fetched,
                "a fetched file name that is no plain file name: \"" + std::string(fetched) + "\"");
}

// Sums of the schedule's stored times and intervals wrap above 2^62; such values are left out of
// the schedule decisions here until those sums are checked.
bool ScheduleValuesFit() {
  const int64_t values[] = {vx::original_file::ProbeSecondsInterval(), vx::original_file::ProbeSecondsLast(),
                            vx::original_file::ReAskSecondsInterval(), vx::original_file::ReAskSecondsLast()};
  for (int64_t v : values)
    if (v > (int64_t(1) << 62) || v < -(int64_t(1) << 62)) return false;
  return true;
}

VX_FUZZ_TARGET(agent) {
  vxfuzz::FuzzPlatform platform;
  vxfuzz::FuzzInput in(data, size);
  const uint8_t mode = in.Byte();
  const uint32_t command = in.Byte();
  const int32_t value = in.I32();
  const std::string original = in.Field();
  const std::string info = in.Field();
  const std::string inform = in.Field();
  const std::string token = in.Field();
  vxfuzz::TextSettings settings(original, info);
  Host host(mode);
  vx::ReadTestMode(true);

  namespace of = vx::original_file;
  namespace ui = vx::update_info;
  for (const vx::String& text :
       {of::ProgramName(), of::StartUpLink(), of::CheckforNewUpdateLink(), of::TargetDir(), of::SharedDir(),
        of::AuxiliaryDir(), of::BtnText(), of::Error(), of::Confirm(), of::Attention(), of::FontName(),
        vx::AutoUpdateText("s11", ""), ui::ProgramName(), ui::DownloadURL_INFORM()})
    VX_FUZZ_CHECK(kName, text.size() <= original.size() + info.size() + 64, "a setting longer than its file");
  const int64_t numbers[] = {of::CharSet(),          of::FontSize(),         of::VersionOriginal(),
                             of::Stamp(),            ui::SizeOfUpdateFile(), ui::VersionNew(),
                             ui::Stamp(),            ui::AutoInform(),       ui::SizeOfInformFile(),
                             ui::AutoInformW(),      ui::AutoInformH(),      ui::RemoveStartUpShortcut(),
                             ui::RemoveCheckForNewUpdateShortcut()};
  VX_FUZZ_CHECK(kName, numbers[5] == ui::VersionNew(), "a setting read twice differs");
  vx::ShutDownFor(ui::ShutDownMethod());
  CheckFetchName(ui::NameOfUpdateFile());
  CheckFetchName(ui::NameOfInformFile());
  CheckFetchName(inform);
  vx::FetchPath(ui::DownloadURL_UPDATE(), '/', vx::FetchFileName(ui::NameOfUpdateFile()));

  const vx::InformFile parsed = vx::ParseInformFile(inform);
  VX_FUZZ_CHECK(kName, parsed.token.size() + parsed.text.size() <= inform.size() ||
                           inform.compare(0, 12, "Scrambled=01") == 0,
                "the inform file's parts are longer than the file");
  vx::InformTokenMatches(inform, vx::DecodeToken(token));
  vx::IsValidVersion(of::VersionOriginal());
  vx::ConfirmShotQuestion(ui::DownloadURL_UPDATE(), vx::TestMode());

  if (ScheduleValuesFit()) {
    int32_t status = 0;
    const bool offer = vx::GetOkToPerformAU((mode & 64) != 0, status);
    VX_FUZZ_CHECK(kName, offer == (status == vx::kOfferStatus) && status >= 0 && status <= vx::kOfferStatus,
                  "the check chain's status does not fit its answer");
    if (mode & 128) vx::RequestCheck((mode & 1) != 0);
    vx::RunRemoteCommand(command, value);
    vx::TickPlan plan;
    for (int tick = 0; tick < 5; ++tick)
      if (vx::BeginAgentTick(plan)) vx::EndAgentTick();
  }
  vx::PerformAutoUpdateWith(host);
}

}  // namespace
