#pragma once
// Least-squares fit of two endpoints to a subset's pixels for given selectors.
#include <cstdint>

#include "texture/bc7enc/bc7_types.h"
#include "texture/bc7enc/bc7_vec.h"

// Fits component = (1 - w) * low + w * high over the cell's pixels, w being the weight of each
// pixel's selector (cell.m_selector_weights / 64). Results are on the 0..255 scale and may lie
// outside it; a component whose fit leaves 0..255 while all pixels share one value takes that
// value for both endpoints.
// Without alpha (cell.m_has_alpha false) both alpha results are 255. Equal selectors everywhere
// make the system singular: both endpoints then come out 0 (a poor pair the caller discards).
void bc7_least_squares(const Bc7CellParams& cell, const uint8_t* selectors, Bc7Vec4& low,
                       Bc7Vec4& high);

// The same fit for one 8-bit channel: `values` are n samples, `weights` the interpolation
// weight (0..64) of each selector.
void bc7_least_squares_1d(uint32_t n, const uint8_t* values, const uint8_t* selectors,
                          const uint32_t* weights, float& low, float& high);
