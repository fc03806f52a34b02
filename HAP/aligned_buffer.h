#pragma once
// AlignedBuffer: an owned, 32-byte aligned byte buffer for textures and pixel copies (the vector
// kernels load whole 32-byte lanes). A failed allocation prints the alloc error line and throws
// std::bad_alloc.

#include <cstddef>
#include <cstdint>

class AlignedBuffer {
 public:
  static constexpr size_t kAlignment_bytes = 32;

  AlignedBuffer() = default;
  ~AlignedBuffer() { release(); }
  AlignedBuffer(const AlignedBuffer&) = delete;
  AlignedBuffer& operator=(const AlignedBuffer&) = delete;
  AlignedBuffer(AlignedBuffer&& other) noexcept : data_(other.data_), size_(other.size_) {
    other.data_ = nullptr;
    other.size_ = 0;
  }
  AlignedBuffer& operator=(AlignedBuffer&& other) noexcept;

  // Replaces the buffer by a new one of `bytes` bytes (content undefined). The old buffer is
  // released first. On failure prints "alloc error (for size : <bytes>)" on standard output,
  // leaves the buffer empty and throws std::bad_alloc.
  void allocate(size_t bytes);
  void release() noexcept;

  uint8_t* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
};
