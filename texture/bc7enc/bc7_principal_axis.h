#pragma once
// The mean and the principal axis (with or without alpha) of a cell's pixels, as the cell
// compressor starts from them; and the axes of many cells at once for the block batches.
#include <cstdint>

#include "texture/bc7enc/bc7_types.h"

// Average of the n pixels (floats, 0..255): the integer sums (exact in float) over n.
Bc7Vec4 bc7_cell_mean(const Bc7Color* pixels, uint32_t n);

// The running-axis estimate over R, G, B and A: for each pixel in order, its offset d from
// `mean` adds d * (d . n), n being the normalised axis so far (d itself for the first pixel);
// the sum is normalised at the end. Lengths of 0 are left as they are.
Bc7Vec4 bc7_principal_axis_rgba(const Bc7Color* pixels, uint32_t n, const Bc7Vec4& mean);

// Without alpha: three steps of power iteration on the R, G, B covariance from (0.9, 1.0, 0.7),
// each scaled by its largest magnitude (above 1e-10), then normalised; 0 when nearly 0. Alpha 0.
Bc7Vec4 bc7_principal_axis_rgb(const Bc7Color* pixels, uint32_t n, const Bc7Vec4& mean);

// bc7_principal_axis_rgba (or _rgb) of `cells` cells around their bc7_cell_mean: axes[k] for the
// counts[k] (1..16) pixels at pixels[k]. Builds for different instruction sets give the same
// floats.
using Bc7PrincipalAxesFn = void (*)(const Bc7Color* const* pixels, const uint32_t* counts,
                                    uint32_t cells, Bc7Vec4* axes);

// The baseline builds: one cell after another.
void bc7_principal_axes_rgba(const Bc7Color* const* pixels, const uint32_t* counts, uint32_t cells,
                             Bc7Vec4* axes);
void bc7_principal_axes_rgb(const Bc7Color* const* pixels, const uint32_t* counts, uint32_t cells,
                            Bc7Vec4* axes);
