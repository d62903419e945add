// Window handle type of the user-interface headers, declared without windows.h.
#pragma once

struct HWND__;

namespace vx {
using WindowHandle = HWND__*;
}  // namespace vx
