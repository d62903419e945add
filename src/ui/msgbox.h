// The markup message box (window class "VMsgBox") and the typed boxes built on it.
// Windows build only; callers need not include windows.h (see ui/handles.h).
#pragma once
#include <cstdint>

#include "text/str.h"
#include "ui/handles.h"
#include "ui/msgbox_buttons.h"

namespace vx {

// Owner value that asks for the active window without the heading of an ownerless box.
inline WindowHandle ActiveWindowOwner() { return reinterpret_cast<WindowHandle>(1); }

// Face, size in points (0 keeps the current size) and character set of every later box.
void SetBoxFont(const String& face, int points, int charset);

// Shows text (markup) in a modal box; buttons is a list of the seven captions OK, Cancel, Yes,
// No, Abort, Retry, Ignore. Returns the result code of the button that closed it, 0 when closed
// by the caption's close button.
int ShowMarkupBox(WindowHandle owner, const String& text, const String& caption,
                  const String& buttons, uint32_t flags);

// Owner 0 adds the caption as a bold heading; owner 0 or 1 takes the active window as owner;
// Hebrew and Arabic character sets lay the text out right to left.
int MessageBoxCommon(WindowHandle owner, const String& text, const String& caption,
                     const String& buttons, int charset, uint32_t flags);

void ErrorBox(WindowHandle owner, const String& text, const String& caption = String(),
              const String& buttons = String(), int charset = 0);
void AttentionBox(WindowHandle owner, const String& text, const String& caption = String(),
                  const String& buttons = String(), int charset = 0);
bool ConfirmBox(WindowHandle owner, const String& text, const String& caption = String(),
                const String& buttons = String(), int charset = 0);
bool ConfirmOkBox(WindowHandle owner, const String& text, const String& caption = String(),
                  const String& buttons = String(), int charset = 0);

}  // namespace vx
