#pragma once
// The cell compressor: best endpoints, p-bits and selectors of one subset for one mode, from a
// principal-axis fit, least-squares refits and (with refinement) selector perturbations.
#include <cstdint>

#include "texture/bc7enc/bc7_types.h"

// Compresses the cell for `mode` (1, 3, 5, 6 or 7; alpha only with 6 and 7). Reads the refinement
// level and the least-squares switch of `block`. Returns the best error, also left in
// results.m_best_overall_err, with the selectors in results.m_selectors. Re-entrant; needs
// bc7_init_tables for modes 1 and 7. `axis`, when given, is the cell's principal axis computed
// ahead: bc7_principal_axis_rgba or, for a cell without alpha, bc7_principal_axis_rgb around
// bc7_cell_mean (bc7_principal_axis.h).
uint64_t bc7_cell_compress(uint32_t mode, const Bc7CellParams& cell, Bc7CellResults& results,
                           const Bc7BlockParams& block, const Bc7Vec4* axis = nullptr);
