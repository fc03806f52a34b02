#pragma once
// The Best quality's interpolated single-channel block (DXT5 alpha half, RGTC1, the Y half of Hap
// Q): a search of the endpoint pairs of both palette modes around the block's range, scored by the
// exact squared error of the palette a decoder builds (its truncating divisions included), that
// replaces the fitted block when a pair does strictly better.
#include <cstdint>

#include "texture/dxtenc_slots.h"

// The eight values a decoder takes from endpoints (a0, a1), in index order: a0 > a1 gives a0, a1
// and six steps ((8 - j) a0 + (j - 1) a1) / 7; otherwise a0, a1, four steps
// ((6 - j) a0 + (j - 1) a1) / 5, then 0 and 255 (divisions truncating).
void alpha_decoded_palette(uint8_t a0, uint8_t a1, uint8_t palette[8]);

// Targets of a search: 16 values on the 0..255 scale times `scale` (1 for 8-bit values, 3 for
// the Hap Q luma targets, which fall on thirds), so that errors stay integers.
struct AlphaTargets {
  uint16_t value[16];
  uint32_t scale;  // 1 or 3
};

// Sum over the targets of the squared distance (in target units) to the nearest palette value.
using AlphaPaletteErrorFn = uint32_t(const AlphaTargets& t, const uint8_t palette[8]);
AlphaPaletteErrorFn alpha_palette_error;
// The same built for AVX2 (same sums). REQUIRES: a processor with AVX2 enabled.
AlphaPaletteErrorFn alpha_palette_error_avx2;

struct AlphaEndpoints {
  uint8_t a0, a1;
  uint32_t error;  // alpha_palette_error of the targets under the endpoints' palette
};

// Searches endpoint pairs in both palette modes (eight values with a0 > a1; six values with
// a0 <= a1, around the whole range and around the range of the targets that 0 and 255 do not
// take): a square of pairs within `radius8` (eight values) or `radius6` (six values) of the
// rounded minimum and maximum, then squares of radius 1 around the best pair for as long as the
// best moves; a negative radius leaves its mode out. Returns the pair of smallest error: `start`
// unless a pair does strictly better. `error` scores the pairs (alpha_palette_error or a build of
// it with the same sums).
AlphaEndpoints alpha_search_endpoints(const AlphaTargets& t, AlphaEndpoints start, int radius8,
                                      int radius6,
                                      AlphaPaletteErrorFn* error = alpha_palette_error);

// Writes the block of endpoints `e` with each target's nearest palette index (the lowest index on
// ties).
void write_alpha_best(uint8_t out[8], const AlphaTargets& t, AlphaEndpoints e);

// The Best block of 16 values: a constant block as at the other levels, else the two-palette fit
// improved by alpha_search_endpoints.
void encode_alpha_values_best(uint8_t out[8], const uint8_t values[16], uint8_t min, uint8_t max,
                              AlphaRangeFn* range, EncodeAlphaBlockFn* fit);

// ---- Block entry points at Best (slot encode_block; from alpha also as encode_block_second) ----
EncodeBlockFn rgtc1_block_from_alpha_best;
EncodeBlockFn rgtc1_block_from_luma_best;
EncodeBlockFn dxt5_encode_block_best;  // Best alpha block + Best four-colour DXT1 colour block
