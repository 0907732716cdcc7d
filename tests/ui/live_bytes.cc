#include "live_bytes.h"

#include <atomic>
#include <cstdlib>
#include <new>

#if defined(__GLIBC__)
#include <malloc.h>

namespace {

std::atomic<std::size_t> g_live{0};
std::atomic<std::size_t> g_peak{0};

void* Take(std::size_t size) {
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) throw std::bad_alloc();
  const std::size_t now = g_live += malloc_usable_size(block);
  std::size_t peak = g_peak.load();
  while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
  }
  return block;
}

void Give(void* block) noexcept {
  if (block == nullptr) return;
  g_live -= malloc_usable_size(block);
  std::free(block);
}

}  // namespace

void* operator new(std::size_t size) { return Take(size); }
void* operator new[](std::size_t size) { return Take(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Take(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Take(size);
  } catch (...) {
    return nullptr;
  }
}
void operator delete(void* block) noexcept { Give(block); }
void operator delete[](void* block) noexcept { Give(block); }
void operator delete(void* block, std::size_t) noexcept { Give(block); }
void operator delete[](void* block, std::size_t) noexcept { Give(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Give(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Give(block); }

bool LiveBytesCounted() { return true; }

PeakLiveBytes::PeakLiveBytes() : start(g_live.load()) { g_peak = start; }

std::size_t PeakLiveBytes::Peak() const {
  const std::size_t peak = g_peak.load();
  return peak > start ? peak - start : 0;
}

#else

bool LiveBytesCounted() { return false; }
PeakLiveBytes::PeakLiveBytes() : start(0) {}
std::size_t PeakLiveBytes::Peak() const { return 0; }

#endif
