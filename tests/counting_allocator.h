#pragma once

// Counts every global allocation of the test program that includes this
// header (once: the operators replace the library's for the whole program).
// Kept out of line so that the compiler never pairs their malloc and free
// with the callers' new and delete.
#include <atomic>
#include <cstdlib>
#include <new>

inline std::atomic<long> g_allocations{0};

[[gnu::noinline]] void* operator new(std::size_t size) {
  ++g_allocations;
  if (void* memory = std::malloc(size == 0 ? 1 : size)) {
    return memory;
  }
  throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* memory) noexcept {
  std::free(memory);
}
[[gnu::noinline]] void operator delete(void* memory, std::size_t /*size*/) noexcept {
  std::free(memory);
}
