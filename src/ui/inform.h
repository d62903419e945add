// The inform dialog (window class "VRichEditBox"): news for the user with an optional link button.
// Windows build only.
#pragma once
#include "text/str.h"
#include "ui/handles.h"

namespace vx {

// Shows content in a resizable dialog of width x height pixels; with a link, a button under it
// opens the link and closes the dialog. Without content the link is opened directly. Returns
// false only when content and link are both empty.
bool ShowInform(WindowHandle owner, const String& caption, const String& buttonCaption,
                const String& content, const String& link, int width, int height, bool rightToLeft,
                const String& fontName, int fontSize, int charset);

}  // namespace vx
