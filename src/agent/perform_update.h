// Carrying out an offered update: the questions, the fetch of the new setup, the shut-down of
// the running application, the setup run, the record of the new version and the restart. The
// steps and decisions are portable; what they do to the system goes through an UpdateHost.
#pragma once
#include "text/str.h"

namespace vx {

// How [NewSetup] ShutDownMethod shuts the application down (the texts compare exactly).
enum class ShutDown {
  Wait,       // empty or unknown text: nothing done, the agent waits until the program has ended
  Notice,     // "Issue a Message Box": the s15 notice again and again while it runs, then the wait
  Close,      // "Using WM_CLOSE", then the wait
  Quit,       // "Using WM_QUIT", then the wait
  Terminate,  // "Using Terminate Process", then the wait
  None        // "Don't Shut Down": nothing, no wait
};
ShutDown ShutDownFor(const String& method);

class UpdateHost {
 public:
  // A question (yes/no, [MsgBox] Confirm) or a notice ([MsgBox] Attention); heading: the caption
  // repeated as a bold heading.
  virtual bool Ask(const String& text, bool heading) = 0;
  virtual void Notice(const String& text, bool heading) = 0;
  // Fetches the update file (name's file-name part) from location and checks its token; path:
  // where the checked file lies. False (with the boxes of the fetch shown) when either failed.
  virtual bool FetchUpdate(const String& location, const String& name, String& path) = 0;
  // The running program's full path: text with its macros expanded (suffix "\", relative paths
  // made full).
  virtual String ProgramPath(const String& text) = 0;
  virtual bool IsRunning(const String& program) = 0;
  // Close, Quit or Terminate applied to program.
  virtual void Apply(ShutDown method, const String& program) = 0;
  virtual void WaitForEnd(const String& program) = 0;  // no time limit; messages keep flowing
  // Runs the setup package with the handshake and commandTail in a work folder of its own,
  // removed afterwards; true when the setup reported completion.
  virtual bool RunSetup(const String& setupFile, const String& commandTail, bool foreground) = 0;
  virtual void Delete(const String& file) = 0;
  virtual void Start(const String& program) = 0;  // shown normally, no arguments

 protected:
  ~UpdateHost() = default;
};

// The update on host; true when the new setup ran and reported completion.
bool PerformAutoUpdateWith(UpdateHost& host);

}  // namespace vx
