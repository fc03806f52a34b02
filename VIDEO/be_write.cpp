// Big-endian encoders.
#include "VIDEO/be_write.h"

#include <bit>

void put_be16(uint8_t* dst, uint16_t value) {
  dst[0] = static_cast<uint8_t>(value >> 8);
  dst[1] = static_cast<uint8_t>(value);
}

void put_be32(uint8_t* dst, uint32_t value) {
  for (int i = 0; i < 4; ++i) dst[i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

void put_be64(uint8_t* dst, uint64_t value) {
  for (int i = 0; i < 8; ++i) dst[i] = static_cast<uint8_t>(value >> (56 - 8 * i));
}

void put_be_double(uint8_t* dst, double value) {
  put_be64(dst, std::bit_cast<uint64_t>(value));
}

void append_be16(ByteVector& content, uint16_t value) {
  uint8_t b[2];
  put_be16(b, value);
  content.insert(content.end(), b, b + 2);
}

void append_be32(ByteVector& content, uint32_t value) {
  uint8_t b[4];
  put_be32(b, value);
  content.insert(content.end(), b, b + 4);
}

void append_be64(ByteVector& content, uint64_t value) {
  uint8_t b[8];
  put_be64(b, value);
  content.insert(content.end(), b, b + 8);
}

void append_be_double(ByteVector& content, double value) {
  append_be64(content, std::bit_cast<uint64_t>(value));
}

void append_bytes(ByteVector& content, ByteVector&& block) {
  content.insert(content.end(), block.begin(), block.end());
  ByteVector().swap(block);
}
