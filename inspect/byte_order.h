#pragma once
// Reading fixed-width integers from byte buffers: little-endian (Hap frames, texture blocks) and
// big-endian (QuickTime atoms). REQUIRES: the bytes read lie inside the caller's buffer.
#include <cstdint>
#include <string>

namespace orvex_inspect {

inline uint16_t le16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}
inline uint32_t le32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
inline uint16_t be16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] << 8 | p[1]);
}
inline uint32_t be32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}
inline uint64_t be64(const uint8_t* p) {
  return uint64_t{be32(p)} << 32 | be32(p + 4);
}

// "0x0D": one byte as two upper-case hex digits, for messages.
inline std::string hex_byte(uint32_t v) {
  const char* digits = "0123456789ABCDEF";
  return std::string("0x") + digits[(v >> 4) & 15] + digits[v & 15];
}

}  // namespace orvex_inspect
