#pragma once
// Least-squares fit of two endpoints to a subset's pixels for given selectors.
#include <cstdint>

#include "texture/bc7enc/bc7_types.h"
#include "texture/bc7enc/bc7_vec.h"

// bc7_least_squares, the fit of a whole cell, is declared with the cell's kernels
// (bc7_types.h).

// The same fit for one 8-bit channel: `values` are n samples, `weights` the interpolation
// weight (0..64) of each selector.
void bc7_least_squares_1d(uint32_t n, const uint8_t* values, const uint8_t* selectors,
                          const uint32_t* weights, float& low, float& high);
