// Generic single-channel block kernels and the two alpha encoders.
#include "texture/alpha_rgtc1.h"

#include <algorithm>

void alpha_range(const uint8_t values[16], uint8_t* low, uint8_t* high) {
  uint8_t lo = 255;
  uint8_t hi = 0;
  for (int i = 0; i < 16; ++i) {
    const uint8_t v = values[i];
    if (v != 0 && v < lo) lo = v;
    if (v != 255 && v > hi) hi = v;
  }
  *low = lo;
  *high = hi;
}

void encode_alpha_block(const uint8_t values[16], const uint8_t palette[8], uint8_t indices[16],
                        uint32_t* error) {
  uint32_t total = 0;
  for (int i = 0; i < 16; ++i) {
    uint32_t best = 0xFFFFFFFFu;
    uint8_t best_index = 0;
    for (uint8_t j = 0; j < 8; ++j) {
      const int32_t d = int32_t{values[i]} - int32_t{palette[j]};
      const uint32_t e = static_cast<uint32_t>(d * d);
      if (e < best) {
        best = e;
        best_index = j;
      }
    }
    indices[i] = best_index;
    total += best;
  }
  *error = total;
}

void pack_alpha_block(uint8_t out[8], uint8_t a0, uint8_t a1, const uint8_t indices[16]) {
  out[0] = a0;
  out[1] = a1;
  for (int half = 0; half < 2; ++half) {
    uint32_t bits = 0;
    for (int i = 0; i < 8; ++i) bits |= uint32_t{indices[half * 8 + i] & 7u} << (3 * i);
    out[2 + half * 3] = static_cast<uint8_t>(bits);
    out[3 + half * 3] = static_cast<uint8_t>(bits >> 8);
    out[4 + half * 3] = static_cast<uint8_t>(bits >> 16);
  }
}

namespace {

// Widens [lo, hi] to a span of at least `span`, upwards first, then downwards at the top.
void widen_span(int* lo, int* hi, int span) {
  if (*hi - *lo < span) *hi = std::min(*lo + span, 255);
  if (*hi - *lo < span) *lo = std::max(*hi - span, 0);
}

}  // namespace

void fit_alpha_two_palettes(const uint8_t values[16], uint8_t min, uint8_t max, uint8_t out[8],
                            AlphaRangeFn* range, EncodeAlphaBlockFn* fit) {
  // Six-value palette (a0 = lo <= a1 = hi): its 0 and 255 entries absorb the extremes, so the
  // interpolated part only spans the values strictly inside (0, 255).
  uint8_t lo8 = 0;
  uint8_t hi8 = 0;
  range(values, &lo8, &hi8);
  int lo = lo8;
  int hi = hi8;
  widen_span(&lo, &hi, 5);
  const uint8_t palette6[8] = {static_cast<uint8_t>(lo),
                               static_cast<uint8_t>(hi),
                               static_cast<uint8_t>((4 * lo + hi) / 5),
                               static_cast<uint8_t>((3 * lo + 2 * hi) / 5),
                               static_cast<uint8_t>((2 * lo + 3 * hi) / 5),
                               static_cast<uint8_t>((lo + 4 * hi) / 5),
                               0,
                               255};

  // Eight-value palette over the full range, listed from lo7 upwards for the fit.
  int lo7 = min;
  int hi7 = max;
  widen_span(&lo7, &hi7, 7);
  uint8_t palette8[8] = {static_cast<uint8_t>(lo7), static_cast<uint8_t>(hi7)};
  for (int j = 2; j < 8; ++j)
    palette8[j] = static_cast<uint8_t>(((8 - j) * lo7 + (j - 1) * hi7) / 7);

  uint8_t indices6[16];
  uint8_t indices8[16];
  uint32_t error6 = 0;
  uint32_t error8 = 0;
  fit(values, palette6, indices6, &error6);
  fit(values, palette8, indices8, &error8);

  if (error6 > error8) {
    // Stored as a0 = hi7 > a1 = lo7: the palette runs from hi7 downwards, so the fitted order
    // (lo7, hi7, steps from lo7 up) maps 0 -> 1, 1 -> 0 and step k -> 9 - k.
    for (int i = 0; i < 16; ++i) {
      const uint8_t k = indices8[i];
      indices8[i] = k < 2 ? static_cast<uint8_t>(k ^ 1) : static_cast<uint8_t>(9 - k);
    }
    pack_alpha_block(out, static_cast<uint8_t>(hi7), static_cast<uint8_t>(lo7), indices8);
  } else {
    pack_alpha_block(out, static_cast<uint8_t>(lo), static_cast<uint8_t>(hi), indices6);
  }
}

void encode_alpha_fast(uint8_t out[8], const uint8_t values[16], uint8_t min, uint8_t max) {
  // 7v + bias lands in [k d, (k+1) d) for the k-th step above the minimum (rounded to the nearest
  // step by the bias); three compare-and-subtract rounds give k's bits.
  const int d = int{max} - int{min};
  const int bias = (d < 8 ? d - 1 : d / 2 + 2) - 7 * int{min};
  uint8_t indices[16];
  for (int i = 0; i < 16; ++i) {
    int t = 7 * int{values[i]} + bias;
    int step = 0;
    if (t >= 4 * d) {
      step += 4;
      t -= 4 * d;
    }
    if (t >= 2 * d) {
      step += 2;
      t -= 2 * d;
    }
    if (t >= d) step += 1;
    // Negating turns steps 1..6 into the eight-value order 7..2 (index 2 nearest a0); the
    // endpoints come out as 1 (step 7) and 0 (step 0) and swap places.
    int index = -step & 7;
    if (index < 2) index ^= 1;
    indices[i] = static_cast<uint8_t>(index);
  }
  pack_alpha_block(out, max, min, indices);
}

void encode_alpha_values(uint8_t out[8], const uint8_t values[16], uint8_t min, uint8_t max,
                         AlphaRangeFn* range, EncodeAlphaBlockFn* fit) {
  if (min == max) {
    const uint8_t zeros[16] = {};
    pack_alpha_block(out, min, 0, zeros);
    return;
  }
  fit_alpha_two_palettes(values, min, max, out, range, fit);
}
