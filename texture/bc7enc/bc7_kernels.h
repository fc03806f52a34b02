#pragma once
// The processor-specific kernels of the BC7 encoder as one set, chosen once at set-up: the
// partition estimator, the selector evaluation, the least-squares sums and fit, the
// quantisation, for block batches the principal axes (with and without alpha) and the partition
// estimates, and Best's partition ranking, in the baseline build, the AVX2 build (-mavx2) or the
// AVX-512 build (F, BW, DQ, VL); same results for every input. The AVX2 set uses the baseline
// fit (on its own sums), quantisation and batch kernels.
#include <cstdint>

#include "texture/bc7enc/bc7_partition_estimate.h"
#include "texture/bc7enc/bc7_principal_axis.h"
#include "texture/bc7enc/bc7_types.h"

struct Bc7Kernels {
  Bc7EstimatePartitionFn m_estimate_partition;
  Bc7EvaluateSelectorsFn m_evaluate_selectors;
  Bc7LeastSquaresSumsFn m_least_squares_sums;
  Bc7LeastSquaresFn m_least_squares;
  Bc7QuantiseEndpointsFn m_quantise_endpoints;
  Bc7PrincipalAxesFn m_principal_axes_rgba;
  Bc7PrincipalAxesFn m_principal_axes_rgb;
  Bc7EstimatePartitionsFn m_estimate_partitions;
  Bc7RankPartitionsFn m_rank_partitions;  // Best's ranking of all two-subset partitions
};

// Points a cell's kernel slots at the set's kernels.
inline void bc7_use_cell_kernels(Bc7CellParams& cell, const Bc7Kernels& kernels) {
  cell.m_evaluate_selectors = kernels.m_evaluate_selectors;
  cell.m_least_squares_sums = kernels.m_least_squares_sums;
  cell.m_least_squares = kernels.m_least_squares;
  cell.m_quantise_endpoints = kernels.m_quantise_endpoints;
}

// The AVX2 selector evaluation (unit channel weights in vector lanes; other weights take the
// baseline kernel). REQUIRES: a processor with AVX2 enabled.
uint64_t bc7_evaluate_selectors_avx2(const uint32_t lo[4], const uint32_t hi[4],
                                     const Bc7CellParams& cell, uint64_t best_err,
                                     uint8_t selectors[16]);

// The least-squares sums in 32-bit lanes. REQUIRES: a processor with AVX2 enabled.
void bc7_least_squares_sums_avx2(const Bc7CellParams& cell, const uint8_t* selectors,
                                 Bc7LeastSquaresSums& sums);

// The AVX-512 builds (any channel weights; the selector evaluation hands weights other than 1 to
// the baseline kernel). REQUIRES: a processor with AVX-512 F, BW, DQ and VL enabled.
uint64_t bc7_evaluate_selectors_avx512(const uint32_t lo[4], const uint32_t hi[4],
                                       const Bc7CellParams& cell, uint64_t best_err,
                                       uint8_t selectors[16]);
void bc7_least_squares_sums_avx512(const Bc7CellParams& cell, const uint8_t* selectors,
                                   Bc7LeastSquaresSums& sums);
void bc7_least_squares_avx512(const Bc7CellParams& cell, const uint8_t* selectors, Bc7Vec4& low,
                              Bc7Vec4& high);
Bc7EndpointCodes bc7_quantise_endpoints_avx512(uint32_t mode, const Bc7Vec4& low,
                                               const Bc7Vec4& high, const Bc7CellParams& cell);
void bc7_principal_axes_rgba_avx512(const Bc7Color* const* pixels, const uint32_t* counts,
                                    uint32_t cells, Bc7Vec4* axes);
void bc7_principal_axes_rgb_avx512(const Bc7Color* const* pixels, const uint32_t* counts,
                                   uint32_t cells, Bc7Vec4* axes);

inline constexpr Bc7Kernels g_bc7_kernels_generic{
    bc7_estimate_partition, bc7_evaluate_selectors,  bc7_least_squares_sums,
    bc7_least_squares,      bc7_quantise_endpoints,  bc7_principal_axes_rgba,
    bc7_principal_axes_rgb, bc7_estimate_partitions, bc7_rank_partitions};
inline constexpr Bc7Kernels g_bc7_kernels_avx2{
    bc7_estimate_partition_avx2, bc7_evaluate_selectors_avx2, bc7_least_squares_sums_avx2,
    bc7_least_squares,           bc7_quantise_endpoints,      bc7_principal_axes_rgba,
    bc7_principal_axes_rgb,      bc7_estimate_partitions,     bc7_rank_partitions};
inline constexpr Bc7Kernels g_bc7_kernels_avx512{
    bc7_estimate_partition_avx512, bc7_evaluate_selectors_avx512,  bc7_least_squares_sums_avx512,
    bc7_least_squares_avx512,      bc7_quantise_endpoints_avx512,  bc7_principal_axes_rgba_avx512,
    bc7_principal_axes_rgb_avx512, bc7_estimate_partitions_avx512, bc7_rank_partitions_avx512};
