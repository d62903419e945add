#include "work_count.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>

namespace {

std::atomic<bool> g_counting{false};
std::atomic<uint64_t> g_bytes{0};
std::atomic<uint64_t> g_searches{0};

}  // namespace

extern "C" {
void* __real_malloc(size_t size);
void* __real_memchr(const void* s, int c, size_t n);

void* __wrap_malloc(size_t size) {
  if (g_counting.load(std::memory_order_relaxed)) g_bytes.fetch_add(size, std::memory_order_relaxed);
  return __real_malloc(size);
}

void* __wrap_memchr(const void* s, int c, size_t n) {
  if (g_counting.load(std::memory_order_relaxed)) g_searches.fetch_add(1, std::memory_order_relaxed);
  return __real_memchr(s, c, n);
}
}

namespace vxtest {

Work WorkOf(const std::function<void()>& task) {
  g_bytes = 0;
  g_searches = 0;
  g_counting = true;
  task();
  g_counting = false;
  Work w;
  w.allocatedBytes = g_bytes;
  w.byteSearches = g_searches;
  return w;
}

void ExpectLinearWork(const std::function<void(int)>& task, int n) {
  const Work small = WorkOf([&] { task(n); });
  const Work large = WorkOf([&] { task(2 * n); });
  EXPECT_GT(small.allocatedBytes + small.byteSearches, 0u) << "the counters saw no work";
  EXPECT_LE(large.allocatedBytes * 2, small.allocatedBytes * 5)
      << "bytes allocated: " << small.allocatedBytes << " for size " << n << ", " << large.allocatedBytes
      << " for size " << 2 * n;
  EXPECT_LE(large.byteSearches * 2, small.byteSearches * 5)
      << "byte searches: " << small.byteSearches << " for size " << n << ", " << large.byteSearches
      << " for size " << 2 * n;
}

}  // namespace vxtest
