#pragma once
// Exact refinement of a chosen BC7 solution: coordinate descent over the quantised endpoint
// codes (each code one step up or down, both codes of a channel together, p-bit flips) and a
// least-squares refit from the current selectors, each step kept only when the error falls,
// repeated until nothing improves.
#include <cstdint>

#include "texture/bc7enc/bc7_kernels.h"
#include "texture/bc7enc/bc7_types.h"

// Endpoint codes (without p-bits) and p-bits of one cell.
struct Bc7CellCodes {
  Bc7Color low;
  Bc7Color high;
  uint32_t pbits[2];
};

// Refines `codes` of a cell compressed for `mode` (bc7_mode_cell), leaving the p-bits of an
// opaque mode 6 cell at 1. Returns the cell's error as the cell's selector kernel measures it
// (never above that of the codes passed in), with the selectors of the result in `selectors`.
uint64_t bc7_refine_cell(uint32_t mode, const Bc7CellParams& cell, Bc7CellCodes& codes,
                         uint8_t selectors[16]);

// One channel with its own index set (the stored alpha of modes 4 and 5): refines the `bits`-bit
// codes low/high for the 16 values with `index_bits` indices, each value taking its nearest
// palette entry, for at most `sweeps` sweeps. Returns the squared error, with the indices in
// `selectors`.
uint64_t bc7_refine_scalar(const uint8_t values[16], uint32_t bits, uint32_t index_bits,
                           uint32_t sweeps, uint8_t& low, uint8_t& high, uint8_t selectors[16]);

// Squared RGBA error of the block `result` decodes to against the 16 pixels (raster order).
uint64_t bc7_result_error(const Bc7BlockResult& result, const Bc7Color* pixels);

// Refines every subset (and the separate alpha of modes 4 and 5) of `result`; keeps the change
// only when the block's exact error falls. Returns the exact error of `result` afterwards.
uint64_t bc7_refine_result(Bc7BlockResult& result, const Bc7Color* pixels, bool has_alpha,
                           const Bc7Kernels& kernels);
