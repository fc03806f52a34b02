#pragma once
// Plain values of the BC7 encoder: an RGBA8 colour, the per-quality search parameters, the
// description and best result of one subset for the cell compressor, and the solution of a
// whole block as the packer writes it. No ownership: pointers borrow the caller's arrays.
#include <cstdint>

// One RGBA8 colour or endpoint; m_c is R, G, B, A.
struct Bc7Color {
  uint8_t m_c[4];
};

// Four floats of the cell compressor (R, G, B, A): colours on the 0..1 or 0..255 scale, axes.
struct Bc7Vec4 {
  float m_c[4];
};

// Endpoint codes (without p-bits) and p-bits of one trial solution.
struct Bc7EndpointCodes {
  Bc7Color m_low;
  Bc7Color m_high;
  uint32_t m_pbits[2];  // low endpoint's, high endpoint's
};

// Search effort of one block (one preset per quality level, see bc7_presets.h).
struct Bc7BlockParams {
  uint32_t m_max_partitions;  // partitions the estimator may scan for modes 1 and 7 (<= 64 used)
  uint32_t m_weights[4];      // channel weights R, G, B, A
  uint32_t m_refinement_level;
  bool m_perceptual;  // never enabled here; the perceptual distance is not provided
  bool m_least_squares;
  bool m_partition_prefilter;
  bool m_try_mode5;
  bool m_try_mode7;
};

// Float terms of one interpolation weight w (as w/64), for the least-squares fits:
// w*w, w*(1-w), (1-w)*(1-w), w.
struct Bc7WeightQuad {
  float m_c[4];
};

struct Bc7CellParams;

// Selector choice and error of one trial solution: lo/hi are the expanded 8-bit endpoints; fills
// selectors[0..pixel count) (entries up to 16 may be overwritten) and returns the error, or a
// partial sum of at least `best_err` when the solution cannot win (the selectors are then not
// meaningful). Builds of this kernel for different instruction sets give the same selectors
// whenever the error is below `best_err`.
using Bc7EvaluateSelectorsFn = uint64_t (*)(const uint32_t lo[4], const uint32_t hi[4],
                                            const Bc7CellParams& cell, uint64_t best_err,
                                            uint8_t selectors[16]);

// The baseline build (any channel weights).
uint64_t bc7_evaluate_selectors(const uint32_t lo[4], const uint32_t hi[4],
                                const Bc7CellParams& cell, uint64_t best_err,
                                uint8_t selectors[16]);

// Integer sums of the least-squares fit over a cell's pixels, k being the weight (0..64) of each
// pixel's selector and v a pixel's component: exact, whatever the order of summation.
struct Bc7LeastSquaresSums {
  uint32_t kk;    // sum of k * k
  uint32_t k;     // sum of k
  uint32_t q[4];  // per component: sum of k * v
  uint32_t t[4];  // per component: sum of v
};

// Fills the sums for the cell's pixels and `selectors` (one per pixel).
using Bc7LeastSquaresSumsFn = void (*)(const Bc7CellParams& cell, const uint8_t* selectors,
                                       Bc7LeastSquaresSums& sums);

// The baseline build.
void bc7_least_squares_sums(const Bc7CellParams& cell, const uint8_t* selectors,
                            Bc7LeastSquaresSums& sums);

// Least-squares fit of two endpoints to a cell's pixels for given selectors (one per pixel):
// component = (1 - w) * low + w * high, w being the weight of each pixel's selector
// (cell.m_selector_weights / 64). Results are on the 0..255 scale and may lie outside it; a
// component whose fit leaves 0..255 while all pixels share one value takes that value for both
// endpoints. Without alpha (cell.m_has_alpha false) both alpha results are 255. Equal selectors
// everywhere make the system singular: both endpoints then come out 0 (a poor pair the caller
// discards). Builds for different instruction sets give the same floats.
using Bc7LeastSquaresFn = void (*)(const Bc7CellParams& cell, const uint8_t* selectors,
                                   Bc7Vec4& low, Bc7Vec4& high);

// The baseline build (its sums through cell.m_least_squares_sums).
void bc7_least_squares(const Bc7CellParams& cell, const uint8_t* selectors, Bc7Vec4& low,
                       Bc7Vec4& high);

// The quantisation step of the cell compressor: endpoint codes and p-bits for low/high colours
// (0..1 per component, clamped first) with the cell's mode, the p-bits chosen by the error of the
// expanded endpoints (first the lowest), repaired by bc7_fix_degenerate_endpoints
// (bc7_solution.h). Builds for different instruction sets give the same codes.
using Bc7QuantiseEndpointsFn = Bc7EndpointCodes (*)(uint32_t mode, const Bc7Vec4& low,
                                                    const Bc7Vec4& high, const Bc7CellParams& cell);

// The baseline build.
Bc7EndpointCodes bc7_quantise_endpoints(uint32_t mode, const Bc7Vec4& low, const Bc7Vec4& high,
                                        const Bc7CellParams& cell);

// One subset to compress with one mode's quantisation.
struct Bc7CellParams {
  uint32_t m_num_pixels;  // 1..16
  const Bc7Color* m_pixels;
  uint32_t m_num_selector_weights;  // N: 4, 8 or 16
  const uint32_t* m_selector_weights;
  const Bc7WeightQuad* m_selector_weightsx;
  uint32_t m_comp_bits;  // 7 for modes 5 and 6, 6 for mode 1, 5 for mode 7
  uint32_t m_weights[4];
  bool m_has_alpha;  // the alpha component takes part in fitting and error
  bool m_has_pbits;
  bool m_endpoints_share_pbit;
  bool m_perceptual;
  // The selector, least-squares and quantisation kernels, chosen once at set-up by the
  // instruction sets the processor allows.
  Bc7EvaluateSelectorsFn m_evaluate_selectors = bc7_evaluate_selectors;
  Bc7LeastSquaresSumsFn m_least_squares_sums = bc7_least_squares_sums;
  Bc7LeastSquaresFn m_least_squares = bc7_least_squares;
  Bc7QuantiseEndpointsFn m_quantise_endpoints = bc7_quantise_endpoints;
};

// Best solution found so far for one subset. Endpoint codes carry no p-bit.
struct Bc7CellResults {
  uint64_t m_best_overall_err;  // UINT64_MAX: no solution yet
  Bc7Color m_low_endpoint;
  Bc7Color m_high_endpoint;
  uint32_t m_pbits[2];        // low endpoint's, high endpoint's
  uint8_t* m_selectors;       // 16 entries: selectors of the best solution
  uint8_t* m_selectors_temp;  // 16 entries of scratch
};

// A whole block ready to pack. Modes 0, 2, 3 and 4, rotation and index selection come only
// from Best. Endpoint codes are stored channels: with a rotation, the alpha slot holds the
// rotated colour channel and that channel's slot the alpha.
struct Bc7BlockResult {
  uint32_t m_mode;
  uint32_t m_partition;
  uint8_t m_selectors[16];        // raster order
  uint8_t m_alpha_selectors[16];  // modes 4 and 5: the stored alpha's indices
  Bc7Color m_low[3];
  Bc7Color m_high[3];
  uint32_t m_pbits[3][2];     // per subset: low, high (mode 1 uses the low one as the shared bit)
  uint32_t m_rotation;        // modes 4 and 5: alpha exchanged with R, G, B (1..3) on decoding
  uint32_t m_index_selector;  // mode 4: 1 = colour on the 3-bit indices, alpha on the 2-bit ones
};
