// The libFuzzer entry of a fuzz program: the one target linked into it gets every input.
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <new>

#include "fuzz_target.h"

namespace vxfuzz {

void Broken(const char* target, const std::string& what) {
  std::fprintf(stderr, "\n[fuzz %s] property broken: %s\n", target, what.c_str());
  std::abort();
}

}  // namespace vxfuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const vxfuzz::TargetFunction run = [] {
    if (vxfuzz::Targets().size() != 1) {
      std::fprintf(stderr, "a fuzz program links exactly one target (%zu linked)\n", vxfuzz::Targets().size());
      std::abort();
    }
    return vxfuzz::Targets()[0].run;
  }();
  run(data, size);
  return 0;
}

// Extraction takes its 256 KiB read and write buffers afresh for every package, and the
// sanitizer's allocator maps and unmaps blocks of that size each time: three quarters of a run
// went to page faults. Large blocks freed are kept (a few per thread) for the next request of the
// same size. The sanitizers still see every allocation and free of the blocks they hand out.
namespace {

constexpr size_t kKeepFrom = 128 * 1024;
constexpr int kKeepCount = 8;
struct KeptBlock {
  void* block;
  size_t size;
};
thread_local KeptBlock t_kept[kKeepCount];
thread_local int t_keptCount = 0;

void* Allocate(size_t n) {
  if (n >= kKeepFrom)
    for (int i = 0; i < t_keptCount; ++i)
      if (t_kept[i].size == n) {
        void* block = t_kept[i].block;
        t_kept[i] = t_kept[--t_keptCount];
        return block;
      }
  return std::malloc(n == 0 ? 1 : n);
}

void Release(void* block) {
  if (block == nullptr) return;
  const size_t n = malloc_usable_size(block);
  if (n >= kKeepFrom && t_keptCount < kKeepCount) {
    t_kept[t_keptCount++] = KeptBlock{block, n};
    return;
  }
  std::free(block);
}

}  // namespace

void* operator new(size_t n) {
  void* block = Allocate(n);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}
void* operator new[](size_t n) { return operator new(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, size_t) noexcept { Release(block); }
void operator delete[](void* block, size_t) noexcept { Release(block); }
