// Globals kept until the process ends.
#pragma once

namespace vx {

// A value of static lifetime that is never destroyed: with a constant default constructor (as
// String has) a global of it needs neither start-up nor exit code. Use `value`.
template <typename T>
union Lasting {
  constexpr Lasting() : value() {}
  ~Lasting() {}
  T value;
};

}  // namespace vx
