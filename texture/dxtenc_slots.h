#pragma once
// The operation table of a texture compressor: one typed function slot per kernel, filled once by
// dxtenc_open for a texture type, quality, pixel format, pad mode and processor. The block loops
// and block encoders call only through it; a slot the set-up did not fill is null.
#include <cstddef>
#include <cstdint>

#include "texture/pixel_formats.h"

// ---- Work areas shared between slots ----

// DXT1 Fast/Normal work area: the block's channels as three planes of 16 bytes in pixel order,
// the per-channel sums of the 16 values and their rounded means ((sum + 8) >> 4).
struct Dxt1WorkArea {
  alignas(16) uint8_t r[16];
  alignas(16) uint8_t g[16];
  alignas(16) uint8_t b[16];
  int32_t sum[3];   // R, G, B; written by estimate_endpoints
  int32_t mean[3];  // R, G, B; written by estimate_endpoints
};

// Floating-point block handed from the YCoCg conversion to the two Hap Q half-encoders (all values
// 0..1, i.e. 8-bit values / 255). The field order is part of the contract between variants.
struct YCoCgWorkBlock {
  float Y[16];
  float minY, maxY;
  float Co[16];
  float Cg[16];
  float minCo, minCg, maxCo, maxCg;
};

// Ordered split search of the cluster fit for one point count: `count` splits (i, j, k) in the
// order they are scored. Points [0,i) take index 0, [i,j) index 2, [j,k) index 3, [k,n) index 1.
// `rank` is the same list seen from the split: the list position of (i, j, k) at
// rank[(i * kClusterRankRows + j) * kClusterRankStride + k], kClusterSplitNone for a split not
// listed.
constexpr uint32_t kClusterRankRows = 17;    // i and j: 0..16
constexpr uint32_t kClusterRankStride = 17;  // k: 0..16
constexpr uint16_t kClusterSplitNone = 0xFFFF;
struct ClusterSplitList {
  const uint8_t* splits;  // 3 bytes (i, j, k) per split
  uint32_t count;
  const uint16_t* rank;  // kClusterRankRows x kClusterRankRows x kClusterRankStride entries
};

// Result of the weighted cluster fit: float endpoints (0..1, on the 5:6:5 grid) and the palette
// index of every ordered point (0 colour 0, 1 colour 1, 2 two-thirds, 3 one-third).
struct ClusterFitResult {
  float start[3];
  float end[3];
  float error;
  uint8_t order_index[16];
};

struct DxtEncOps;

// ---- Slot signatures (function types; a kernel is declared as `PadBlockFn pad_block_xxx;`) ----

// Pads a partial edge block (w valid columns, h valid rows, 1..4) into `out` (kMaxPaddedBlockBytes)
// in the layout of pad_partial_block; format and pad mode are bound at set-up.
using PadBlockFn = void(uint8_t* out, const uint8_t* const planes[4], const size_t strides[4],
                        uint32_t w, uint32_t h);

// One 8-bit channel of a block (alpha, luma or constant opaque) in raster order, with its
// minimum and maximum. Used by fetch_alpha and fetch_luma.
using FetchChannelFn = void(const uint8_t* const planes[4], const size_t strides[4],
                            uint8_t out[16], uint8_t* min, uint8_t* max);

// low = smallest value other than 0 (255 if none); high = largest value other than 255 (0 if none).
using AlphaRangeFn = void(const uint8_t values[16], uint8_t* low, uint8_t* high);

// Per value, the index of the nearest palette entry (lowest index on ties); *error = sum of the
// squared differences.
using EncodeAlphaBlockFn = void(const uint8_t values[16], const uint8_t palette[8],
                                uint8_t indices[16], uint32_t* error);

// Converts one interleaved block (pointer at the block, row stride in bytes) to YCoCg floats.
// Returns the all-black flag (every R, G, B sample zero); the block may be left unfilled then.
using YCoCgConvertFn = bool(const uint8_t* src, size_t stride, YCoCgWorkBlock* block);

// Hap Q half-encoders: Y into bytes 0-7 (DXT5 alpha block), Co/Cg into bytes 8-15 (colour block).
using YCoCgYBlockFn = void(const YCoCgWorkBlock* block, uint8_t out[8]);
using YCoCgCoCgBlockFn = void(const YCoCgWorkBlock* block, uint8_t out[8]);

// Fills the work planes from the block; returns true when all 16 pixels have pixel 0's R, G, B.
using FetchRgbFastFn = bool(Dxt1WorkArea* work, const uint8_t* const planes[4],
                            const size_t strides[4]);

// Fills the work planes; returns the spread, the largest (max - min) over R, G and B.
using FetchRgbSpreadFn = uint32_t(Dxt1WorkArea* work, const uint8_t* const planes[4],
                                  const size_t strides[4]);

// 32-bit index word (pixel i in bits 2i..2i+1) of the planes against 5:6:5 colours c0 and c1.
// `expand` is the 96-byte 5/6-bit to 8-bit expansion table (32 five-bit, then 64 six-bit entries).
using MatchIndicesFn = uint32_t(const Dxt1WorkArea* work, uint16_t c0, uint16_t c1,
                                const uint8_t expand[96]);

// Principal-axis endpoints of the planes (5:6:5); also writes work->sum and work->mean.
using EstimateEndpointsFn = void(Dxt1WorkArea* work, uint16_t* c0, uint16_t* c1);

// Least-squares endpoints (5:6:5) for the given index word. REQUIRES work->sum filled.
using RefineEndpointsFn = void(const Dxt1WorkArea* work, uint16_t* c0, uint16_t* c1,
                               uint32_t indices);

// Colour-set front end of one block (format bound at set-up).
using BuildColourSetFn = void(const uint8_t* const planes[4], const size_t strides[4],
                              ColourSet* set);

// Writes a four-colour DXT1 block from float endpoints (0..1) and the 16 pixel indices.
using WriteFitBlockFn = void(uint8_t out[8], const float start[3], const float end[3],
                             const uint8_t indices[16]);

// Writes a DXT1 block from quantised endpoints (R 0..31, G 0..63, B 0..31) and the 16 indices.
using WriteSingleColourBlockFn = void(uint8_t out[8], const uint8_t start[3], const uint8_t end[3],
                                      const uint8_t indices[16]);

// Cluster-fit kernels, one per point count 2..16 (table index count - 2).
// Weighted covariance of the points about their weighted centroid: rr, rg, rb, gg, gb, bb.
using ClusterCovarianceFn = void(const float points[][4], const float weights[16], float cov[6]);
// Projects the points on `axis` and writes the stable ascending order of the point indices.
using ClusterOrderFn = void(const float points[][4], const float axis[3], uint8_t order[16]);
// Scores the splits of `list` over the ordered, weight-multiplied points (x w, w in [3]) and keeps
// the first split of smallest error. Returns false if no split beat the initial error.
using ClusterSearchFn = bool(const float weighted[16][4], const ClusterSplitList* list,
                             ClusterFitResult* result);

// 64-byte RGBA8 block (R, G, B, A per pixel, raster order) for BC7.
using FetchBc7Fn = void(const uint8_t* plane, size_t stride, uint8_t out_rgba[64]);

// Encodes one 4x4 block at `out` from plane pointers positioned at the block. The table comes by
// value so that each block call owns its copy.
using EncodeBlockFn = void(DxtEncOps ops, uint8_t* out, const uint8_t* const planes[4],
                           const size_t strides[4]);

// Encodes `count` consecutive full blocks of one block row: block b from the source block
// b x (16 or 32, the bytes of four pixels) bytes along planes[0] to out + b x block bytes. The
// table comes by reference (it is only read), so a row costs one call instead of one table copy
// per block. Optional: where null the block loop calls encode_block per block.
using EncodeRowFn = void(const DxtEncOps& ops, uint8_t* out, const uint8_t* const planes[4],
                         const size_t strides[4], uint32_t count);

constexpr size_t kClusterKernelCount = 15;  // point counts 2..16

// The operation table, in its fixed slot order.
struct DxtEncOps {
  PadBlockFn* pad_block;
  FetchChannelFn* fetch_alpha;
  FetchChannelFn* fetch_luma;
  AlphaRangeFn* alpha_range;
  EncodeAlphaBlockFn* encode_alpha_block;
  YCoCgConvertFn* ycocg_convert;
  void* unused_slot;  // never filled
  YCoCgYBlockFn* ycocg_y_block;
  YCoCgCoCgBlockFn* ycocg_cocg_block;
  FetchRgbFastFn* fetch_rgb_fast;
  FetchRgbSpreadFn* fetch_rgb_spread;
  MatchIndicesFn* match_indices;
  EstimateEndpointsFn* estimate_endpoints;
  RefineEndpointsFn* refine_endpoints;
  BuildColourSetFn* build_colour_set;
  WriteFitBlockFn* write_fit_block;
  WriteSingleColourBlockFn* write_single_colour_block;
  ClusterCovarianceFn* cluster_covariance[kClusterKernelCount];
  ClusterOrderFn* cluster_order[kClusterKernelCount];
  ClusterSearchFn* cluster_search[kClusterKernelCount];
  ClusterSplitList cluster_splits[kClusterKernelCount];
  FetchBc7Fn* fetch_bc7;
  void* reserved_slots[4];  // not filled by the set-up
  EncodeBlockFn* encode_block;
  EncodeBlockFn* encode_block_second;
  EncodeRowFn* encode_row;  // the full blocks of a row at once (pass 0 only); may be null
};
