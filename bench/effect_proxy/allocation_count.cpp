// The program's replacements of operator new and delete. Kept in a file of
// their own so that the compiler never sees a replaced new inlined next to
// the free that ends it.
#include "allocation_count.h"

#include <cstdlib>
#include <new>

namespace {
std::size_t allocations = 0;

void* Allocate(std::size_t size) {
  ++allocations;
  return std::malloc(size ? size : 1);
}
}  // namespace

std::size_t AllocationCount() {
  return allocations;
}

void* operator new(std::size_t size) {
  if (void* block = Allocate(size)) return block;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  if (void* block = Allocate(size)) return block;
  throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size);
}
void operator delete(void* block) noexcept {
  std::free(block);
}
void operator delete[](void* block) noexcept {
  std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
  std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
  std::free(block);
}
