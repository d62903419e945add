// Host builds have no user locale to follow: the lookup falls back to the English entry.
#include "ui/language.h"

namespace vx {
uint32_t PlatformLocaleId() { return 0; }
}  // namespace vx
