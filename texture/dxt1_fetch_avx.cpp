// AVX builds of the DXT1 block fronts: the Fast/Normal plane fetches and the Slow colour set, for
// the host's 8-bit ARGB and 16-bit ARGB (full scale 32768). A block row is first brought to
// 16 bytes of 8-bit ARGB (block_rows_avx.h), then split into planes with byte shuffles. The
// results are the generic kernels' byte for byte (the colour-set floats are the same IEEE
// divisions by 255). Only this file is compiled with -mavx.
#include <immintrin.h>

#include "texture/block_rows_avx.h"
#include "texture/dxt1.h"
#include "texture/dxt1_avx.h"

namespace {

// The block as planes: R, G, B (and A) of the 16 pixels in raster order.
struct BlockPlanes {
  __m128i r, g, b;
  __m128i argb[4];  // the rows as loaded
};

template <PixelFormat F>
inline BlockPlanes load_planes(const uint8_t* const planes[4], const size_t strides[4]) {
  BlockPlanes p;
  // Per row: R0..R3, G0..G3, B0..B3, A0..A3.
  const __m128i split = _mm_setr_epi8(1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 0, 4, 8, 12);
  __m128i rows[4];
  load_argb_block<F>(planes, strides, p.argb);
  for (int y = 0; y < 4; ++y) rows[y] = _mm_shuffle_epi8(p.argb[y], split);
  const __m128i rg01 = _mm_unpacklo_epi32(rows[0], rows[1]);  // R0 R1 G0 G1 (4 bytes each)
  const __m128i rg23 = _mm_unpacklo_epi32(rows[2], rows[3]);
  const __m128i ba01 = _mm_unpackhi_epi32(rows[0], rows[1]);  // B0 B1 A0 A1
  const __m128i ba23 = _mm_unpackhi_epi32(rows[2], rows[3]);
  p.r = _mm_unpacklo_epi64(rg01, rg23);
  p.g = _mm_unpackhi_epi64(rg01, rg23);
  p.b = _mm_unpacklo_epi64(ba01, ba23);
  return p;
}

inline void store_planes(Dxt1WorkArea* work, const BlockPlanes& p) {
  _mm_store_si128(reinterpret_cast<__m128i*>(work->r), p.r);
  _mm_store_si128(reinterpret_cast<__m128i*>(work->g), p.g);
  _mm_store_si128(reinterpret_cast<__m128i*>(work->b), p.b);
}

// max - min of 16 bytes.
inline uint32_t byte_spread(__m128i v) {
  uint8_t lo, hi;
  byte_min_max(v, &lo, &hi);
  return static_cast<uint32_t>(hi - lo);
}

template <PixelFormat F>
bool fetch_fast(Dxt1WorkArea* work, const uint8_t* const planes[4], const size_t strides[4]) {
  const BlockPlanes p = load_planes<F>(planes, strides);
  store_planes(work, p);
  const __m128i first = _mm_setzero_si128();
  const __m128i same =
      _mm_and_si128(_mm_and_si128(_mm_cmpeq_epi8(p.r, _mm_shuffle_epi8(p.r, first)),
                                  _mm_cmpeq_epi8(p.g, _mm_shuffle_epi8(p.g, first))),
                    _mm_cmpeq_epi8(p.b, _mm_shuffle_epi8(p.b, first)));
  return _mm_movemask_epi8(same) == 0xFFFF;
}

template <PixelFormat F>
uint32_t fetch_spread(Dxt1WorkArea* work, const uint8_t* const planes[4], const size_t strides[4]) {
  const BlockPlanes p = load_planes<F>(planes, strides);
  store_planes(work, p);
  uint32_t spread = byte_spread(p.r);
  const uint32_t g = byte_spread(p.g);
  const uint32_t b = byte_spread(p.b);
  spread = g > spread ? g : spread;
  return b > spread ? b : spread;
}

// Distinct colours in order of first appearance. The 24-bit key of a pixel is its ARGB word
// shifted right by 8 (R | G << 8 | B << 16); each pixel finds the first pixel with its key by
// one comparison against all 16 keys.
template <PixelFormat F>
void colour_set(const uint8_t* const planes[4], const size_t strides[4], ColourSet* set) {
  const BlockPlanes p = load_planes<F>(planes, strides);
  alignas(16) uint32_t key[16];
  __m128i keys[4];
  for (int y = 0; y < 4; ++y) {
    keys[y] = _mm_srli_epi32(p.argb[y], 8);
    _mm_store_si128(reinterpret_cast<__m128i*>(key + 4 * y), keys[y]);
  }
  // Every pixel's channels as floats / 255, the generic kernel's division.
  alignas(32) float value[3][16];
  const __m128i planes8[3] = {p.r, p.g, p.b};
  const __m256 scale = _mm256_set1_ps(255.0f);
  for (int c = 0; c < 3; ++c) {
    const __m128i lo = _mm_cvtepu8_epi32(planes8[c]);
    const __m128i lo2 = _mm_cvtepu8_epi32(_mm_srli_si128(planes8[c], 4));
    const __m128i hi = _mm_cvtepu8_epi32(_mm_srli_si128(planes8[c], 8));
    const __m128i hi2 = _mm_cvtepu8_epi32(_mm_srli_si128(planes8[c], 12));
    const __m256 a =
        _mm256_cvtepi32_ps(_mm256_insertf128_si256(_mm256_castsi128_si256(lo), lo2, 1));
    const __m256 b =
        _mm256_cvtepi32_ps(_mm256_insertf128_si256(_mm256_castsi128_si256(hi), hi2, 1));
    _mm256_store_ps(value[c], _mm256_div_ps(a, scale));
    _mm256_store_ps(value[c] + 8, _mm256_div_ps(b, scale));
  }
  uint32_t count = 0;
  for (int i = 0; i < 16; ++i) {
    const __m128i k = _mm_set1_epi32(static_cast<int32_t>(key[i]));
    const uint32_t m =
        static_cast<uint32_t>(_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(keys[0], k)))) |
        (static_cast<uint32_t>(_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(keys[1], k))))
         << 4) |
        (static_cast<uint32_t>(_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(keys[2], k))))
         << 8) |
        (static_cast<uint32_t>(_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(keys[3], k))))
         << 12);
    const int j = __builtin_ctz(m);  // j <= i: pixel i matches itself
    if (j < i) {
      const uint32_t point = set->point_index[j];
      set->point_index[i] = point;
      set->weights[point] += 1;
    } else {
      for (int c = 0; c < 3; ++c) set->points[count][c] = value[c][i];
      set->weights[count] = 1;
      set->point_index[i] = count;
      ++count;
    }
  }
  set->count = count;
}

}  // namespace

bool dxt1_fetch_rgb_fast_argb8_avx(Dxt1WorkArea* work, const uint8_t* const planes[4],
                                   const size_t strides[4]) {
  return fetch_fast<ARGB_8>(work, planes, strides);
}
bool dxt1_fetch_rgb_fast_argb16_host_avx(Dxt1WorkArea* work, const uint8_t* const planes[4],
                                         const size_t strides[4]) {
  return fetch_fast<ARGB_16_HOST>(work, planes, strides);
}
uint32_t dxt1_fetch_rgb_spread_argb8_avx(Dxt1WorkArea* work, const uint8_t* const planes[4],
                                         const size_t strides[4]) {
  return fetch_spread<ARGB_8>(work, planes, strides);
}
uint32_t dxt1_fetch_rgb_spread_argb16_host_avx(Dxt1WorkArea* work, const uint8_t* const planes[4],
                                               const size_t strides[4]) {
  return fetch_spread<ARGB_16_HOST>(work, planes, strides);
}
void dxt1_colour_set_argb8_avx(const uint8_t* const planes[4], const size_t strides[4],
                               ColourSet* set) {
  colour_set<ARGB_8>(planes, strides, set);
}
void dxt1_colour_set_argb16_host_avx(const uint8_t* const planes[4], const size_t strides[4],
                                     ColourSet* set) {
  colour_set<ARGB_16_HOST>(planes, strides, set);
}
