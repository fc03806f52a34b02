// Best-quality interpolated single-channel blocks: endpoint search by exact decoded error.
#include "texture/alpha_best.h"

#include <emmintrin.h>

#include <cstring>

#include "texture/alpha_rgtc1.h"
#include "texture/dxt1_best.h"

void alpha_decoded_palette(uint8_t a0, uint8_t a1, uint8_t palette[8]) {
  const int x0 = a0, x1 = a1;
  palette[0] = a0;
  palette[1] = a1;
  if (x0 > x1) {
    for (int j = 2; j < 8; ++j)
      palette[j] = static_cast<uint8_t>(((8 - j) * x0 + (j - 1) * x1) / 7);
  } else {
    for (int j = 2; j < 6; ++j)
      palette[j] = static_cast<uint8_t>(((6 - j) * x0 + (j - 1) * x1) / 5);
    palette[6] = 0;
    palette[7] = 255;
  }
}

namespace {

// The 16 targets in two SSE2 registers of eight 16-bit lanes (any x86-64). Targets and scaled
// palette values are at most 765, so differences fit in 16 bits and their squares, summed in
// pairs, in 32.
struct Targets16 {
  __m128i lo, hi;
  explicit Targets16(const AlphaTargets& t)
      : lo(_mm_loadu_si128(reinterpret_cast<const __m128i*>(t.value))),
        hi(_mm_loadu_si128(reinterpret_cast<const __m128i*>(t.value + 8))) {}
};

inline __m128i distance(__m128i v, __m128i p) {
  const __m128i d = _mm_sub_epi16(v, p);
  return _mm_max_epi16(d, _mm_sub_epi16(_mm_setzero_si128(), d));
}

}  // namespace

uint32_t alpha_palette_error(const AlphaTargets& t, const uint8_t palette[8]) {
  const Targets16 v(t);
  __m128i nearest_lo = _mm_set1_epi16(0x7FFF), nearest_hi = nearest_lo;
  for (int k = 0; k < 8; ++k) {
    const __m128i p = _mm_set1_epi16(static_cast<int16_t>(palette[k] * t.scale));
    nearest_lo = _mm_min_epi16(nearest_lo, distance(v.lo, p));
    nearest_hi = _mm_min_epi16(nearest_hi, distance(v.hi, p));
  }
  __m128i sum =
      _mm_add_epi32(_mm_madd_epi16(nearest_lo, nearest_lo), _mm_madd_epi16(nearest_hi, nearest_hi));
  sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, 0x4E));
  sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, 0xB1));
  return static_cast<uint32_t>(_mm_cvtsi128_si32(sum));
}

namespace {

int clamp_byte(int v) {
  return v < 0 ? 0 : v > 255 ? 255 : v;
}

// The palettes as offsets from the lower endpoint, by span: a decoder's palette of (a0, a1) is
// min(a0, a1) + offset[|a0 - a1|] entry by entry (the six-value mode's 0 and 255 apart), since
// its divisions truncate sums that are multiples of the span plus 7 or 5 times the lower end.
struct PaletteOffsets {
  uint8_t eight[256][8];  // a0 = a1 + span > a1
  uint8_t six[256][6];    // a0 <= a1 = a0 + span
  PaletteOffsets() {
    for (int d = 0; d < 256; ++d) {
      uint8_t p[8];
      alpha_decoded_palette(static_cast<uint8_t>(d), 0, p);
      for (int j = 0; j < 8; ++j) eight[d][j] = p[j];
      alpha_decoded_palette(0, static_cast<uint8_t>(d), p);
      for (int j = 0; j < 6; ++j) six[d][j] = p[j];
    }
  }
};
const PaletteOffsets kOffsets;

void palette_of(int a0, int a1, uint8_t palette[8]) {
  if (a0 > a1) {
    for (int j = 0; j < 8; ++j) palette[j] = static_cast<uint8_t>(a1 + kOffsets.eight[a0 - a1][j]);
  } else {
    for (int j = 0; j < 6; ++j) palette[j] = static_cast<uint8_t>(a0 + kOffsets.six[a1 - a0][j]);
    palette[6] = 0;
    palette[7] = 255;
  }
}

// A square of endpoint pairs: those within `r` of (c0, c1).
struct Square {
  int c0, c1, r;
  bool holds(int a0, int a1) const {
    return a0 >= c0 - r && a0 <= c0 + r && a1 >= c1 - r && a1 <= c1 + r;
  }
};

// Scores the pairs of `square` that select the wanted mode, keeping the first of smallest error in
// `best`; pairs in `scored` (already scored, so no better than `best`) are passed over.
void search_square(const AlphaTargets& t, AlphaPaletteErrorFn* score, Square square,
                   bool eight_values, Square scored, AlphaEndpoints& best) {
  const int r = square.r;
  for (int a0 = clamp_byte(square.c0 - r); a0 <= clamp_byte(square.c0 + r); ++a0) {
    for (int a1 = clamp_byte(square.c1 - r); a1 <= clamp_byte(square.c1 + r); ++a1) {
      if ((a0 > a1) != eight_values || scored.holds(a0, a1)) continue;
      uint8_t palette[8];
      palette_of(a0, a1, palette);
      const uint32_t error = score(t, palette);
      if (error < best.error) best = {static_cast<uint8_t>(a0), static_cast<uint8_t>(a1), error};
    }
  }
}

// A square of radius `r` around (c0, c1), then squares of radius 1 around the best pair for as
// long as they improve on it. `best` on entry is already scored.
constexpr int kMaxSteps = 8;
void search_around(const AlphaTargets& t, AlphaPaletteErrorFn* score, int c0, int c1,
                   bool eight_values, int r, AlphaEndpoints& best) {
  AlphaEndpoints before = best;
  Square scored{best.a0, best.a1, 0};
  search_square(t, score, {c0, c1, r}, eight_values, scored, best);
  scored = {c0, c1, r};
  for (int step = 0; step < kMaxSteps; ++step) {
    const int d0 = best.a0 - c0, d1 = best.a1 - c1;
    const bool inside = d0 > -r && d0 < r && d1 > -r && d1 < r;
    if ((best.a0 == before.a0 && best.a1 == before.a1) || (step == 0 && inside)) return;
    before = best;
    c0 = best.a0, c1 = best.a1, r = 1;
    search_square(t, score, {c0, c1, 1}, eight_values, scored, best);
    scored = {c0, c1, 1};
  }
}

}  // namespace

AlphaEndpoints alpha_search_endpoints(const AlphaTargets& t, AlphaEndpoints start, int radius8,
                                      int radius6, AlphaPaletteErrorFn* error) {
  AlphaEndpoints best = start;
  if (best.error == 0) return best;
  int lo = 255, hi = 0;              // rounded range
  int inner_lo = 255, inner_hi = 0;  // rounded range of the targets other than 0 and 255
  for (int i = 0; i < 16; ++i) {
    // Rounded to a level (the scale is 1 or 3).
    const int v = clamp_byte(t.scale == 3 ? (t.value[i] + 1) / 3 : t.value[i]);
    lo = v < lo ? v : lo;
    hi = v > hi ? v : hi;
    if (v != 0 && v < inner_lo) inner_lo = v;
    if (v != 255 && v > inner_hi) inner_hi = v;
  }
  // Eight values run from a1 (low) to a0 (high); six values from a0 (low) to a1 (high).
  if (radius8 >= 0) search_around(t, error, hi, lo, true, radius8, best);
  if (radius6 < 0) return best;
  search_around(t, error, lo, hi, false, radius6, best);
  if ((inner_lo != lo || inner_hi != hi) && inner_lo <= inner_hi)
    search_around(t, error, inner_lo, inner_hi, false, radius6, best);
  return best;
}

void write_alpha_best(uint8_t out[8], const AlphaTargets& t, AlphaEndpoints e) {
  uint8_t palette[8];
  alpha_decoded_palette(e.a0, e.a1, palette);
  const Targets16 v(t);
  __m128i nearest[2] = {_mm_set1_epi16(0x7FFF), _mm_set1_epi16(0x7FFF)};
  __m128i index[2] = {_mm_setzero_si128(), _mm_setzero_si128()};
  for (int k = 0; k < 8; ++k) {
    const __m128i p = _mm_set1_epi16(static_cast<int16_t>(palette[k] * t.scale));
    const __m128i kk = _mm_set1_epi16(static_cast<int16_t>(k));
    for (int h = 0; h < 2; ++h) {
      const __m128i magnitude = distance(h == 0 ? v.lo : v.hi, p);
      const __m128i closer = _mm_cmplt_epi16(magnitude, nearest[h]);  // ties keep the lower index
      index[h] = _mm_or_si128(_mm_and_si128(closer, kk), _mm_andnot_si128(closer, index[h]));
      nearest[h] = _mm_min_epi16(nearest[h], magnitude);
    }
  }
  int16_t lanes[16];
  _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes), index[0]);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes + 8), index[1]);
  uint8_t indices[16];
  for (int i = 0; i < 16; ++i) indices[i] = static_cast<uint8_t>(lanes[i]);
  pack_alpha_block(out, e.a0, e.a1, indices);
}

// The squares of the alpha search: the eight-value mode gains from a wider one.
constexpr int kAlphaRadius8 = 3, kAlphaRadius6 = 1;

void encode_alpha_values_best(uint8_t out[8], const uint8_t values[16], uint8_t min, uint8_t max,
                              AlphaRangeFn* range, EncodeAlphaBlockFn* fit) {
  encode_alpha_values(out, values, min, max, range, fit);
  if (min == max) return;
  AlphaTargets t;
  for (int i = 0; i < 16; ++i) t.value[i] = values[i];
  t.scale = 1;
  uint8_t palette[8];
  alpha_decoded_palette(out[0], out[1], palette);
  const AlphaEndpoints fitted{out[0], out[1], alpha_palette_error(t, palette)};
  const AlphaEndpoints best = alpha_search_endpoints(t, fitted, kAlphaRadius8, kAlphaRadius6);
  if (best.a0 != fitted.a0 || best.a1 != fitted.a1) write_alpha_best(out, t, best);
}

void rgtc1_block_from_alpha_best(DxtEncOps ops, uint8_t* out, const uint8_t* const planes[4],
                                 const size_t strides[4]) {
  encode_alpha_channel<encode_alpha_values_best>(ops, ops.fetch_alpha, out, planes, strides);
}

void rgtc1_block_from_luma_best(DxtEncOps ops, uint8_t* out, const uint8_t* const planes[4],
                                const size_t strides[4]) {
  encode_alpha_channel<encode_alpha_values_best>(ops, ops.fetch_luma, out, planes, strides);
}

void dxt5_encode_block_best(DxtEncOps ops, uint8_t* out, const uint8_t* const planes[4],
                            const size_t strides[4]) {
  encode_alpha_channel<encode_alpha_values_best>(ops, ops.fetch_alpha, out, planes, strides);
  dxt1_encode_colour_best(ops, out + 8, planes, strides, Dxt1Modes::four_colour_only);
}
