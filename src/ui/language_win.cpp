// The user's locale for the language selection: the thread locale of the process.
#include <windows.h>

#include "ui/language.h"

namespace vx {
uint32_t PlatformLocaleId() { return static_cast<uint32_t>(GetThreadLocale()); }
}  // namespace vx
