// The work the code under test does, counted rather than timed: the bytes it asks malloc for
// and the times it searches memory for a byte (memchr, under every separator search of the
// String type). The native test binary is linked with the linker's --wrap for both functions,
// so that every call from the portable core and the tools passes through the counters here.
// A test runs a task at two sizes and checks that the work grows no faster than the size.
#pragma once
#include <cstdint>
#include <functional>

namespace vxtest {

struct Work {
  uint64_t allocatedBytes = 0;
  uint64_t byteSearches = 0;
};

// The work of one call of task.
Work WorkOf(const std::function<void()>& task);

// Checks that task(2 * n) does at most 2.5 times the work of task(n) in both counts (work in
// proportion to the size doubles, work that grows with the square of it quadruples), and that
// the counters saw the task at all.
void ExpectLinearWork(const std::function<void(int)>& task, int n);

}  // namespace vxtest
