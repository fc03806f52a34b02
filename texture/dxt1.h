#pragma once
// DXT1 colour block encoding: the generic kernels bound in the DxtEnc slots for texture types 0
// and 1, the per-quality block entry points, and the fixed tables they use. Every kernel is
// allocation-free and keeps its state on the caller's stack.
#include <cstdint>

#include "texture/dxtenc_slots.h"

// ---- Tables (built at compile time) ----

// 5-bit and 6-bit to 8-bit expansion: 32 five-bit entries ((x << 3) | (x >> 2)), then 64 six-bit
// entries ((x << 2) | (x >> 4)).
extern const uint8_t kDxtExpand[96];

// Single-colour endpoint pairs for Fast/Normal: entry v = (colour 0 value, colour 1 value) such
// that palette index 2 reproduces v as closely as the format allows.
struct SingleColourPair {
  uint8_t mx;
  uint8_t mn;
};
extern const SingleColourPair kSingleColour5[256];
extern const SingleColourPair kSingleColour6[256];

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
extern const SingleColourFit kSingleColourFit5[256];
extern const SingleColourFit kSingleColourFit6[256];

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
extern ClusterCovarianceFn* const kClusterCovarianceGeneric[kClusterKernelCount];
extern ClusterOrderFn* const kClusterOrderGeneric[kClusterKernelCount];
extern ClusterSearchFn* const kClusterSearchGeneric[kClusterKernelCount];
// Fills the split lists in search order (two-cluster splits first for 3+ points).
void cluster_build_split_lists(ClusterSplitList lists[kClusterKernelCount]);

// ---- Block entry points (slot encode_block of type 0; DXT5 calls them for bytes 8..15) ----
EncodeBlockFn dxt1_encode_block_fast;
EncodeBlockFn dxt1_encode_block_normal;
EncodeBlockFn dxt1_encode_block_slow;

// Writes the single-colour block of colour (r, g, b) through the Fast/Normal tables.
// `exact_solid` applies the black/white shortcut of a solid block (colour 0 alone when both
// endpoints are 0x0000 or 0xFFFF).
void dxt1_write_single_colour(uint8_t out[8], uint32_t r, uint32_t g, uint32_t b, bool exact_solid);
