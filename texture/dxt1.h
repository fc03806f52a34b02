#pragma once
// DXT1 colour block encoding: the generic kernels bound in the DxtEnc slots for texture types 0
// and 1, the per-quality block entry points, and the fixed tables they use. Every kernel is
// allocation-free and keeps its state on the caller's stack.
#include <array>
#include <cstdint>

#include "texture/dxtenc_slots.h"
#include "texture/dxtenc_types.h"

// ---- Tables (the expansion at compile time, the searched tables once at load time) ----

// 5-bit and 6-bit to 8-bit expansion: 32 five-bit entries ((x << 3) | (x >> 2)), then 64 six-bit
// entries ((x << 2) | (x >> 4)).
extern const std::array<uint8_t, 96> kDxtExpand;

// Single-colour endpoint pairs for Fast/Normal: entry v = (colour 0 value, colour 1 value) such
// that palette index 2, (2 E(mx) + E(mn)) / 3, reproduces v as closely as the format allows
// (ties broken towards narrow pairs).
struct SingleColourPair {
  uint8_t mx;
  uint8_t mn;
};
extern const std::array<SingleColourPair, 256> kSingleColour5;
extern const std::array<SingleColourPair, 256> kSingleColour6;

// Single-colour fit of the Slow path: per target value, the best (start, end, error) for palette
// index 0 (candidate 0) and for palette index 2 (candidate 1).
struct SingleColourCandidate {
  uint8_t start;
  uint8_t end;
  uint8_t error;
};
struct SingleColourFit {
  SingleColourCandidate candidate[2];
};
extern const std::array<SingleColourFit, 256> kSingleColourFit5;
extern const std::array<SingleColourFit, 256> kSingleColourFit6;

// 5:6:5 quantisation of an 8-bit value for endpoints taken from pixels.
constexpr uint32_t dxt_q5(uint32_t v) {
  const uint32_t t = 31 * v + 128;
  return (t + (t >> 8)) >> 8;
}
constexpr uint32_t dxt_q6(uint32_t v) {
  const uint32_t t = 63 * v + 128;
  return (t + (t >> 8)) >> 8;
}

// ---- Generic kernels ----
FetchRgbFastFn dxt1_fetch_rgb_fast_argb8;
FetchRgbFastFn dxt1_fetch_rgb_fast_argb16_host;
FetchRgbSpreadFn dxt1_fetch_rgb_spread_argb8;
FetchRgbSpreadFn dxt1_fetch_rgb_spread_argb16_host;
EstimateEndpointsFn dxt1_estimate_endpoints;
MatchIndicesFn dxt1_match_indices;
RefineEndpointsFn dxt1_refine_endpoints;
BuildColourSetFn dxt1_colour_set_argb8;
BuildColourSetFn dxt1_colour_set_argb16_host;
WriteFitBlockFn dxt1_write_fit_block;
WriteSingleColourBlockFn dxt1_write_single_colour_block;

// Generic per-count cluster-fit kernels (index count - 2) and their split lists.
extern const std::array<ClusterCovarianceFn*, kClusterKernelCount> kClusterCovarianceGeneric;
extern const std::array<ClusterOrderFn*, kClusterKernelCount> kClusterOrderGeneric;
extern const std::array<ClusterSearchFn*, kClusterKernelCount> kClusterSearchGeneric;
// Fills the split lists in search order (two-cluster splits first for 3+ points).
void cluster_build_split_lists(ClusterSplitList lists[kClusterKernelCount]);

// ---- Block entry points (slot encode_block of type 0; DXT5 calls them for bytes 8..15) ----
EncodeBlockFn dxt1_encode_block_fast;
EncodeBlockFn dxt1_encode_block_normal;
EncodeBlockFn dxt1_encode_block_slow;

// The same blocks with the table by reference (the entry points above copy it once per block).
using Dxt1BlockFn = void(const DxtEncOps& ops, uint8_t* out, const uint8_t* const planes[4],
                         const size_t strides[4]);
Dxt1BlockFn dxt1_fast_block;
Dxt1BlockFn dxt1_normal_block;
Dxt1BlockFn dxt1_slow_block;

// Slot encode_row of type 0: the quality's block one after the other along a row of `fmt`
// (Fast, Normal, Slow; null for Best, whose blocks go one by one through encode_block).
EncodeRowFn* dxt1_encode_row_kernel(uint8_t quality, PixelFormat fmt);

// Endpoint pair (5:6:5) of the Fast/Normal single-colour tables for colour (r, g, b): palette
// index 2 of (c0, c1) is the colour as closely as the format allows.
void dxt1_single_colour_pair(uint32_t r, uint32_t g, uint32_t b, uint16_t* c0, uint16_t* c1);

// Block of a solid colour (every pixel r, g, b): black and white as colour 0 alone, other colours
// with all indices 2 (or 3 after putting the larger colour first).
void dxt1_write_solid_block(uint8_t out[8], uint32_t r, uint32_t g, uint32_t b);

// Slow path on a colour set already built: single-colour fit or weighted cluster fit.
void dxt1_encode_colour_set(const DxtEncOps& ops, const ColourSet& set, uint8_t out[8]);

// Principal axis of a weighted covariance (rr, rg, rb, gg, gb, bb): four multiplications of
// (1, 1, 1) by the matrix, each result divided by its largest component. When the first product
// collapses ((1, 1, 1) nearly orthogonal to the spread), the matrix row of the largest variance
// replaces it.
void dxt1_principal_axis(const float cov[6], float axis[3]);
