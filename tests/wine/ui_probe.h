// Drives the modal message box and inform dialog from inside their own message loops: a thread
// timer waits for the window of the given class, runs an action on it once, and closes it
// should it still be up long after the action.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace vxtest {

struct UiProbeResult {
  bool found = false;      // the window appeared and the action ran
  bool forced = false;     // the window had to be closed by the safety timeout
};

// Runs show() (which blocks in the window's loop) while act(window) runs once the window exists.
UiProbeResult RunWithWindow(const char* windowClass, const std::function<void(HWND)>& act,
                            const std::function<void()>& show);

std::string ClassOf(HWND window);
std::string TextOf(HWND window);  // WM_GETTEXT, any length
// Child windows of a class, in z order.
std::vector<HWND> ChildrenOfClass(HWND parent, const std::string& cls);
// Window rectangle in the parent's client coordinates.
RECT RectInParent(HWND child);
RECT ClientRect(HWND window);
// Per character of a rich-edit control: whether it is bold (EM_GETCHARFORMAT on each character).
std::vector<bool> BoldMask(HWND richEdit);

}  // namespace vxtest
