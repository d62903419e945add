// The update agent's Win32 half: one check (fetch, chain, inform or update), the tick that
// schedules it, and the agent's restart (Windows build only).
#pragma once
#include <cstdint>

#include "text/str.h"
#include "ui/handles.h"

namespace vx {

// Installs the running system as the agent's host and reads the test mode (agent copy start).
void InitAgent();

// One complete check.
void PerformShot();
// Fetches name (its file-name part) of kind 1 (INFO), 2 (UPDATE) or 3 (INFORM) from location (a
// folder or a web folder; TestModeURL in test mode) into the agent's folder. errorText: empty on
// success and when a missing INFO file is not to be reported.
bool DownloadFileAU(const String& location, const String& name, int kind, String& errorText);
// Whether the fetched file at path carries the installing package's secret token (kinds 2, 3).
bool MatchesToken(const String& path, int kind);
// Fetches the inform file and shows it; true when the user was informed.
bool PerformAutoInform();
// The update itself (fetch, shut-down, setup, restart); true when the agent is to restart.
bool PerformAutoUpdate();

// The agent's boxes, with the caption, buttons and character set of its [MsgBox] settings.
enum AgentBoxKind { kAgentError, kAgentAttention, kAgentConfirm };
// True when a confirmation was answered Yes.
bool AgentBox(AgentBoxKind kind, WindowHandle owner, const String& text);

// Asks before a check; sets status to 0 when the user declines.
void ConfirmShot(int32_t& status);
// Starts the agent launcher (hidden) to run a fresh agent copy and ends this one.
void RelaunchAgent();

}  // namespace vx
