#pragma once
// Reading one pixel of a block source as 8-bit R, G, B, A in any known pixel format. Internal to
// the front ends and the padding routine; `rows` are the four plane pointers at the current row.
#include <cstdint>

#include "texture/pixel_formats.h"

namespace pixel_read {

inline uint16_t le16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

// Bytes of one pixel (interleaved formats) or of one sample (planar formats).
constexpr uint32_t pixel_bytes(PixelFormat fmt) {
  switch (fmt) {
    case ARGB_8:
    case BGRA_8:
    case BGRA_8_ALT:
    case RGBA_8:
      return 4;
    case ARGB_16:
    case ARGB_16_HOST:
    case RGBA_16:
      return 8;
    case ARGB_FLOAT:
      return 16;
    case PLANAR_8:
      return 1;
    case PLANAR_16:
      return 2;
    default:
      return 0;
  }
}

// 8-bit R, G, B, A of pixel x (0..3) of the row. F must be one of formats 0-6, 8, 9.
template <PixelFormat F>
inline void read_rgba8(const uint8_t* const rows[4], uint32_t x, uint8_t rgba[4]) {
  if constexpr (F == ARGB_8) {
    const uint8_t* p = rows[0] + 4 * x;
    rgba[0] = p[1], rgba[1] = p[2], rgba[2] = p[3], rgba[3] = p[0];
  } else if constexpr (F == BGRA_8 || F == BGRA_8_ALT) {
    const uint8_t* p = rows[0] + 4 * x;
    rgba[0] = p[2], rgba[1] = p[1], rgba[2] = p[0], rgba[3] = p[3];
  } else if constexpr (F == RGBA_8) {
    const uint8_t* p = rows[0] + 4 * x;
    rgba[0] = p[0], rgba[1] = p[1], rgba[2] = p[2], rgba[3] = p[3];
  } else if constexpr (F == ARGB_16) {
    const uint8_t* p = rows[0] + 8 * x;  // high byte of each little-endian sample
    rgba[0] = p[3], rgba[1] = p[5], rgba[2] = p[7], rgba[3] = p[1];
  } else if constexpr (F == ARGB_16_HOST) {
    const uint8_t* p = rows[0] + 8 * x;
    rgba[0] = host16_to_8(le16(p + 2)), rgba[1] = host16_to_8(le16(p + 4));
    rgba[2] = host16_to_8(le16(p + 6)), rgba[3] = host16_to_8(le16(p));
  } else if constexpr (F == RGBA_16) {
    const uint8_t* p = rows[0] + 8 * x;
    rgba[0] = p[1], rgba[1] = p[3], rgba[2] = p[5], rgba[3] = p[7];
  } else if constexpr (F == PLANAR_8) {
    for (int c = 0; c < 4; ++c) rgba[c] = rows[c][x];
  } else if constexpr (F == PLANAR_16) {
    for (int c = 0; c < 4; ++c) rgba[c] = rows[c][2 * x + 1];
  } else {
    static_assert(F == ARGB_8, "format without an 8-bit front end");
  }
}

// Advances the row pointers by one row (planes that are not used may be null).
inline void next_row(const uint8_t* rows[4], const size_t strides[4]) {
  for (int c = 0; c < 4; ++c) {
    if (rows[c]) rows[c] += strides[c];
  }
}

// Reads the 16 pixels of a block in raster order as RGBA8.
template <PixelFormat F>
inline void read_block_rgba8(const uint8_t* const planes[4], const size_t strides[4],
                             uint8_t rgba[16][4]) {
  const uint8_t* rows[4] = {planes[0], planes[1], planes[2], planes[3]};
  for (uint32_t y = 0; y < 4; ++y) {
    for (uint32_t x = 0; x < 4; ++x) read_rgba8<F>(rows, x, rgba[4 * y + x]);
    next_row(rows, strides);
  }
}

}  // namespace pixel_read
