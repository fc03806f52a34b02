#pragma once
// Split of a frame into horizontal bands of whole block rows, one per thread of the block loop.
#include <cstdint>

struct ThreadBands {
  uint16_t thread_count;
  uint16_t start[64];  // first row of band i
  uint16_t rows[64];   // rows of band i
};

// `requested` 0 means `processors` (at least 1); requests above 64 become 64; below 2 give one
// band of the whole height. Otherwise min(request, ceil(height / 32)) bands: each gets
// (height / 4 div n) block rows, the remainder goes one block row each to bands 0, 1, ..., and
// the last band also takes the height % 4 leftover rows.
ThreadBands compute_thread_bands(uint32_t height, uint32_t requested, uint32_t processors);
