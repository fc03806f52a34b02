// DXT1 colour family: the block entry of type 0 and the colour slots of types 0 and 1. Fast uses
// the fetch/estimate/match/refine kernels, Slow the colour set and the cluster fit, Normal both;
// Best runs Slow's path and improves its result.
#include "texture/dxt1.h"
#include "texture/dxt1_avx.h"
#include "texture/dxt1_avx2.h"
#include "texture/dxt1_avx2_fma.h"
#include "texture/dxt1_avx512.h"
#include "texture/dxt1_best.h"
#include "texture/kernel_binding.h"

namespace {

// Fast and Normal fit a line through the block with the estimate/match/refine kernels.
bool uses_line_fit(uint8_t quality) {
  return quality == DXT_QUALITY_FAST || quality == DXT_QUALITY_NORMAL;
}

void bind_generic(DxtEncOps& ops, const KernelBinding& b) {
  const bool host16 = b.pixel_format == ARGB_16_HOST;
  if (b.type == DXTENC_DXT1) {
    ops.encode_block = b.quality == DXT_QUALITY_FAST     ? dxt1_encode_block_fast
                       : b.quality == DXT_QUALITY_NORMAL ? dxt1_encode_block_normal
                       : b.quality == DXT_QUALITY_SLOW   ? dxt1_encode_block_slow
                                                         : dxt1_encode_block_best;
    ops.encode_row = dxt1_encode_row_kernel(b.quality, b.pixel_format);
  }
  if (b.quality == DXT_QUALITY_FAST) {
    ops.fetch_rgb_fast = host16 ? dxt1_fetch_rgb_fast_argb16_host : dxt1_fetch_rgb_fast_argb8;
  }
  if (b.quality == DXT_QUALITY_NORMAL) {
    ops.fetch_rgb_spread = host16 ? dxt1_fetch_rgb_spread_argb16_host : dxt1_fetch_rgb_spread_argb8;
  }
  if (uses_line_fit(b.quality)) {
    ops.match_indices = dxt1_match_indices;
    ops.estimate_endpoints = dxt1_estimate_endpoints;
    ops.refine_endpoints = dxt1_refine_endpoints;
  }
  if (b.quality != DXT_QUALITY_FAST) {
    ops.build_colour_set = host16 ? dxt1_colour_set_argb16_host : dxt1_colour_set_argb8;
    ops.write_fit_block = dxt1_write_fit_block;
    ops.write_single_colour_block = dxt1_write_single_colour_block;
    for (size_t i = 0; i < kClusterKernelCount; ++i) {
      ops.cluster_covariance[i] = kClusterCovarianceGeneric[i];
      ops.cluster_order[i] = kClusterOrderGeneric[i];
      ops.cluster_search[i] = kClusterSearchGeneric[i];
    }
    cluster_build_split_lists(ops.cluster_splits);
  }
}

void bind_avx(DxtEncOps& ops, const KernelBinding& b) {
  const bool host16 = b.pixel_format == ARGB_16_HOST;
  if (b.quality == DXT_QUALITY_FAST) {
    ops.fetch_rgb_fast =
        host16 ? dxt1_fetch_rgb_fast_argb16_host_avx : dxt1_fetch_rgb_fast_argb8_avx;
  }
  if (b.quality == DXT_QUALITY_NORMAL) {
    ops.fetch_rgb_spread =
        host16 ? dxt1_fetch_rgb_spread_argb16_host_avx : dxt1_fetch_rgb_spread_argb8_avx;
  }
  if (b.quality != DXT_QUALITY_FAST) {
    ops.build_colour_set = host16 ? dxt1_colour_set_argb16_host_avx : dxt1_colour_set_argb8_avx;
    for (size_t i = 0; i < kClusterKernelCount; ++i) {
      ops.cluster_order[i] = kClusterOrderAvx[i];
      ops.cluster_search[i] = kClusterSearchAvx[i];
    }
  }
}

void bind_avx2(DxtEncOps& ops, const KernelBinding& b) {
  if (!uses_line_fit(b.quality)) return;
  ops.match_indices = dxt1_match_indices_avx2;
  ops.estimate_endpoints = dxt1_estimate_endpoints_avx2;
}

void bind_avx2_fma(DxtEncOps& ops, const KernelBinding& b) {
  if (!uses_line_fit(b.quality)) return;
  ops.refine_endpoints = dxt1_refine_endpoints_avx2_fma;
}

void bind_avx512(DxtEncOps& ops, const KernelBinding& b) {
  if (b.type == DXTENC_DXT1 && b.pixel_format == ARGB_8) {
    if (b.quality == DXT_QUALITY_FAST) ops.encode_row = dxt1_encode_row_fast_argb8_avx512;
    if (b.quality == DXT_QUALITY_NORMAL) ops.encode_row = dxt1_encode_row_normal_argb8_avx512;
  }
  if (b.quality != DXT_QUALITY_FAST) {
    for (size_t i = 0; i < kClusterKernelCount; ++i)
      ops.cluster_search[i] = kClusterSearchAvx512[i];
  }
}

}  // namespace

void bind_dxt1_kernels(DxtEncOps& ops, const KernelBinding& b) {
  bind_generic(ops, b);
  if (b.allows(CPU_LEVEL_AVX)) bind_avx(ops, b);
  if (b.allows(CPU_LEVEL_AVX2)) bind_avx2(ops, b);
  if (b.allows(CPU_LEVEL_AVX2_FMA)) bind_avx2_fma(ops, b);
  if (b.allows(CPU_LEVEL_AVX512)) bind_avx512(ops, b);
}
