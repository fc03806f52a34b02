#pragma once
// Mode 6 for a block whose colours lie along one line but spread over many palette steps (noise
// along a colour ramp, dithered or speckled fills): the error is then mostly where the 16
// evenly spaced palette entries fall among the pixels, which a least-squares fit and one-step
// refinement leave at a local optimum. Every pair of endpoint values of the widest channel
// within about a palette step of its extremes is scored on that channel alone; the best few pairs
// set the indices, the other channels follow by least squares, and each is refined exactly.
#include <cstdint>

#include "texture/bc7enc/bc7_kernels.h"
#include "texture/bc7enc/bc7_types.h"

// Squared distance of the 16 pixels (R, G, B and A) from their principal line through the mean:
// the part of the error no single-line mode can remove.
float bc7_off_line_energy(const Bc7Color* pixels);

// Fills `result` with the mode 6 solution of the search for 16 RGBA8 pixels (raster order); an
// opaque block (`has_alpha` false) keeps alpha at 255 with both p-bits 1. Returns its squared
// RGBA error. `kernels`: any build the processor runs (they give the same result).
uint64_t bc7_mode6_line_search(const Bc7Color* pixels, bool has_alpha, const Bc7Kernels& kernels,
                               Bc7BlockResult& result);
