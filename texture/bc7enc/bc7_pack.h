#pragma once
// BPTC bit packing of a chosen solution into one 128-bit block.
#include <cstdint>

#include "texture/bc7enc/bc7_types.h"

// Writes the 16 bytes of `result` at `out`, least significant bit of byte 0 first. Subsets
// whose anchor selector has its top bit set are written with inverted selectors and exchanged
// endpoints, so that every anchor fits in one bit fewer. In modes 4 and 5, m_selectors index the
// colour (R, G, B as stored, before the rotation) and m_alpha_selectors the stored alpha,
// whichever index set holds them.
void bc7_encode_block(uint8_t* out, const Bc7BlockResult& result);
