#pragma once
// Table solutions for a subset of one colour in modes 1 and 7: endpoints whose fixed palette
// entry (mode 1 index 2, mode 7 index 1) is closest to the colour, every selector on that entry.
#include <cstdint>

#include "texture/bc7enc/bc7_types.h"

// Fills results (codes, p-bits (p, 0), error) and the cell's selectors (all 2) for colour r, g, b.
// Returns the error over the cell's pixels. Needs bc7_init_tables.
uint64_t bc7_pack_mode1_one_colour(const Bc7CellParams& cell, Bc7CellResults& results, uint32_t r,
                                   uint32_t g, uint32_t b, uint8_t* selectors);

// Same for mode 7 and r, g, b, a: selectors all 1, own p-bit per endpoint. The error runs over
// `num_pixels` pixels.
uint64_t bc7_pack_mode7_one_colour(const Bc7CellParams& cell, Bc7CellResults& results, uint32_t r,
                                   uint32_t g, uint32_t b, uint32_t a, uint8_t* selectors,
                                   uint32_t num_pixels, const Bc7Color* pixels);
