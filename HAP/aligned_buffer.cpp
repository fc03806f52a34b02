// 32-byte aligned allocation.
#include "HAP/aligned_buffer.h"

#include <cstdio>
#include <cstdlib>
#include <new>
#include <utility>
#ifdef _WIN32
#include <malloc.h>
#endif

AlignedBuffer& AlignedBuffer::operator=(AlignedBuffer&& other) noexcept {
  if (this != &other) {
    release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

void AlignedBuffer::allocate(size_t bytes) {
  release();
  // Whole 32-byte lanes, and at least one, so that a size of 0 still gives a valid pointer.
  const size_t rounded = bytes == 0
                             ? kAlignment_bytes
                             : (bytes + kAlignment_bytes - 1) / kAlignment_bytes * kAlignment_bytes;
  void* p = nullptr;
  if (rounded >= bytes) {
#ifdef _WIN32
    p = _aligned_malloc(rounded, kAlignment_bytes);
#else
    p = std::aligned_alloc(kAlignment_bytes, rounded);
#endif
  }
  if (p == nullptr) {
    std::printf("alloc error (for size : %ld)\n", static_cast<long>(bytes));
    std::fflush(stdout);
    throw std::bad_alloc();
  }
  data_ = static_cast<uint8_t*>(p);
  size_ = bytes;
}

void AlignedBuffer::release() noexcept {
  if (data_ != nullptr) {
#ifdef _WIN32
    _aligned_free(data_);
#else
    std::free(data_);
#endif
  }
  data_ = nullptr;
  size_ = 0;
}
