#pragma once
// BPTC bit packing of a chosen solution (every mode but 4) into one 128-bit block.
#include <cstdint>

#include "texture/bc7enc/bc7_types.h"

// Writes the 16 bytes of `result` at `out`, least significant bit of byte 0 first. Subsets
// whose anchor selector has its top bit set are written with inverted selectors and exchanged
// endpoints, so that every anchor fits in one bit fewer.
void bc7_encode_block(uint8_t* out, const Bc7BlockResult& result);
