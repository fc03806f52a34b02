#pragma once
// The Best quality's DXT1 colour block: Slow's cluster fit, then per block a search scored by the
// exact squared error of the palette a decoder builds (5:6:5 endpoints widened as
// ((x >> 5) + x) >> 5 with x = 255 c + 16 for 5 bits, ((x >> 6) + x) >> 6 with x = 255 c + 32
// for 6 bits; the interpolated entries divided with truncation): the cluster fit again with the
// pixels' true weights, along the principal axis and along the direction of the best endpoints so
// far, least-squares refits for the chosen indices, the three-colour mode where the block may use
// it, and a walk over the endpoints' neighbourhood (each channel one step up or down). The block
// that decodes closest wins; Slow's block stands unless a candidate does strictly better.
#include <cstdint>

#include "texture/dxtenc_slots.h"

enum class Dxt1Modes : uint8_t {
  four_colour_only,  // DXT5 colour halves: decoders read four colours whatever the endpoint order
  three_colour_too,  // DXT1 of an opaque texture: c0 <= c1 selects (c0, c1, (c0 + c1) / 2); the
                     // fourth entry (transparent black) is never chosen
};

// The four palette colours a decoder shows for 5:6:5 endpoints c0 and c1 (R, G, B per entry, in
// index order): the four-colour palette when `three` is false whatever the order of c0 and c1,
// else (c0, c1, (c0 + c1) / 2) with the fourth entry black.
void dxt1_decoded_palette(uint16_t c0, uint16_t c1, bool three, int palette[4][3]);

// Best colour block of the block at `planes` into `out` (8 bytes), through ops.build_colour_set
// and the cluster-fit slots.
void dxt1_encode_colour_best(const DxtEncOps& ops, uint8_t out[8], const uint8_t* const planes[4],
                             const size_t strides[4], Dxt1Modes modes);

// Block entry point of type 0 at Best.
EncodeBlockFn dxt1_encode_block_best;
