// Big-endian number encoders and the append operations that build atom content.
// Every multi-byte number in a QuickTime atom is stored most significant byte first.
#pragma once

#include <cstdint>
#include <vector>

using ByteVector = std::vector<uint8_t>;

// Each writes into `dst`, which must have room for 2, 4 or 8 bytes.
void put_be16(uint8_t* dst, uint16_t value);
void put_be32(uint8_t* dst, uint32_t value);
void put_be64(uint8_t* dst, uint64_t value);
// The IEEE-754 bit pattern of `value`, most significant byte first (8 bytes).
void put_be_double(uint8_t* dst, double value);

// Append the encoded value at the end of `content`.
void append_be16(ByteVector& content, uint16_t value);
void append_be32(ByteVector& content, uint32_t value);
void append_be64(ByteVector& content, uint64_t value);
void append_be_double(ByteVector& content, double value);
// Appends the whole block and then releases it (the block is left empty).
void append_bytes(ByteVector& content, ByteVector&& block);
