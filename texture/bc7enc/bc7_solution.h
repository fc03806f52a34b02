#pragma once
// From two trial endpoints to a scored solution: quantisation with p-bit choice, repair of
// endpoints collapsed by quantisation, and evaluation (palette, selectors, error) that keeps
// the solution in the results when it beats the best so far.
#include <cstdint>

#include "texture/bc7enc/bc7_types.h"
#include "texture/bc7enc/bc7_vec.h"

// True when `codes` are the solution stored in `results` (evaluating them again changes
// nothing).
bool bc7_is_stored_best(const Bc7EndpointCodes& codes, const Bc7CellResults& results);

// Quantises low/high colours (0..1 per component) for `mode` and evaluates the result unless it
// repeats the stored best. Returns results.m_best_overall_err afterwards.
// Mode 6 without alpha always takes p-bit 1 on both endpoints: the alpha code of an opaque
// block is 127, and only with p-bit 1 does it decode to 255 (p-bit 0 would give 254).
uint64_t bc7_find_optimal_solution(uint32_t mode, Bc7Vec4 low, Bc7Vec4 high,
                                   const Bc7CellParams& cell, Bc7CellResults& results);

// Mode 1 only (other modes are left as they are): when quantisation made the low and high codes
// of R, G or B equal although the inputs differ, moves one code by one step (max = top code).
void bc7_fix_degenerate_endpoints(uint32_t mode, Bc7Color& low_codes, Bc7Color& high_codes,
                                  const Bc7Vec4& low_input, const Bc7Vec4& high_input,
                                  uint32_t max);

// Scores endpoint codes (without p-bits) and p-bits: picks each pixel's selector and sums the
// weighted squared distances. Stores codes, p-bits, selectors and error in `results` when the
// error is strictly below the best. Returns the error of this solution, or a partial sum at
// least as large as the best error when the evaluation stopped early because it cannot win.
uint64_t bc7_evaluate_solution(const Bc7Color& low_codes, const Bc7Color& high_codes,
                               const uint32_t pbits[2], const Bc7CellParams& cell,
                               Bc7CellResults& results);
