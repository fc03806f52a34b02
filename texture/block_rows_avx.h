#pragma once
// Reading a 4x4 block of the host's 8-bit or 16-bit ARGB as four 16-byte rows of 8-bit ARGB, for
// the AVX block fronts. Everything sits in an unnamed namespace: only files compiled with -mavx
// (or above) include it, each with its own copy.
#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "texture/pixel_formats.h"

namespace {

// One block row (4 pixels) as bytes A, R, G, B per pixel. A 16-bit sample becomes 8 bits by the
// generic host16_to_8 rule: 32768 is 255, any other sample the low 8 bits of s >> 7.
template <PixelFormat F>
inline __m128i load_argb_row(const uint8_t* row) {
  if constexpr (F == ARGB_8) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(row));
  } else {
    static_assert(F == ARGB_16_HOST, "8-bit or host 16-bit ARGB only");
    const __m128i full = _mm_set1_epi16(static_cast<int16_t>(0x8000));
    const __m128i low = _mm_set1_epi16(0x00FF);
    __m128i v[2];
    for (int h = 0; h < 2; ++h) {
      const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 16 * h));
      const __m128i t = _mm_and_si128(_mm_srli_epi16(s, 7), low);  // 0 for 32768
      v[h] = _mm_or_si128(t, _mm_and_si128(_mm_cmpeq_epi16(s, full), low));
    }
    return _mm_packus_epi16(v[0], v[1]);
  }
}

// The four rows of the block at planes[0] (row stride strides[0]).
template <PixelFormat F>
inline void load_argb_block(const uint8_t* const planes[4], const size_t strides[4],
                            __m128i rows[4]) {
  const uint8_t* row = planes[0];
  for (int y = 0; y < 4; ++y, row += strides[0]) rows[y] = load_argb_row<F>(row);
}

// Minimum and maximum of 16 bytes.
inline void byte_min_max(__m128i v, uint8_t* lo, uint8_t* hi) {
  __m128i mn = _mm_min_epu8(v, _mm_srli_si128(v, 8));
  __m128i mx = _mm_max_epu8(v, _mm_srli_si128(v, 8));
  mn = _mm_min_epu8(mn, _mm_srli_si128(mn, 4));
  mx = _mm_max_epu8(mx, _mm_srli_si128(mx, 4));
  mn = _mm_min_epu8(mn, _mm_srli_si128(mn, 2));
  mx = _mm_max_epu8(mx, _mm_srli_si128(mx, 2));
  mn = _mm_min_epu8(mn, _mm_srli_si128(mn, 1));
  mx = _mm_max_epu8(mx, _mm_srli_si128(mx, 1));
  *lo = static_cast<uint8_t>(_mm_cvtsi128_si32(mn));
  *hi = static_cast<uint8_t>(_mm_cvtsi128_si32(mx));
}

}  // namespace
