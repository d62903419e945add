// How GoogleTest shows the launcher's String in failure messages (forced into every test source
// by the build, so that no test has to remember it).
#pragma once
#include <ostream>

#include "text/str.h"

namespace vx {

inline std::ostream& operator<<(std::ostream& os, const String& s) {
  return os.write(s.data(), static_cast<std::streamsize>(s.size()));
}

inline void PrintTo(const String& s, std::ostream* os) {
  *os << '"' << s << '"';
}

}  // namespace vx
