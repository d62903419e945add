// Globals kept until the process ends.
#pragma once

namespace vx {

// A value of static lifetime that is never destroyed: with a constant default constructor (as
// String has) a global of it is ready without start-up code and, unlike a function-local static,
// needs no guard; at exit nothing of it is freed (the compiler still registers an empty exit
// function for it). Use `value`.
template <typename T>
union Lasting {
  constexpr Lasting() : value() {}
  ~Lasting() {}
  T value;
};

}  // namespace vx
