// Allocation for the shipped launcher: operator new and delete straight on malloc and free.
// The library's own versions throw std::bad_alloc and so bring the exception runtime along; the
// launcher never catches, so an allocation failure ends the process as any other would.
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

void* Allocate(std::size_t size) {
  void* p = std::malloc(size != 0 ? size : 1);
  if (p == nullptr) std::abort();
  return p;
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size != 0 ? size : 1); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size != 0 ? size : 1); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
