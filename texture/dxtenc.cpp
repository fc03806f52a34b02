// DxtEnc set-up: validation, thread bands and the one-time choice of the operation table.
#include "texture/dxtenc.h"

#include <cstdio>
#include <thread>

#include "texture/alpha_ycocg_setup.h"
#include "texture/cpu_probe.h"
#include "texture/dxt1.h"
#include "texture/dxt1_avx.h"
#include "texture/dxt1_avx2.h"
#include "texture/dxt1_avx2_fma.h"
#include "texture/dxtenc_bands.h"
#include "texture/hapr_block.h"
#include "texture/pad_block.h"

namespace {

// DXT1 colour slots of types 0 and 1 for the quality (1..3) and format (ARGB_8/ARGB_16_HOST).
void bind_dxt1_colour_slots(DxtEncOps& ops, uint8_t quality, PixelFormat fmt) {
  const bool host16 = fmt == ARGB_16_HOST;
  if (quality == DXT_QUALITY_FAST) {
    ops.fetch_rgb_fast = host16 ? dxt1_fetch_rgb_fast_argb16_host : dxt1_fetch_rgb_fast_argb8;
  }
  if (quality == DXT_QUALITY_NORMAL) {
    ops.fetch_rgb_spread = host16 ? dxt1_fetch_rgb_spread_argb16_host : dxt1_fetch_rgb_spread_argb8;
  }
  if (quality != DXT_QUALITY_SLOW) {
    ops.match_indices = dxt1_match_indices;
    ops.estimate_endpoints = dxt1_estimate_endpoints;
    ops.refine_endpoints = dxt1_refine_endpoints;
  }
  if (quality != DXT_QUALITY_FAST) {
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

// Processor-specific DXT1 kernels over the generic ones, level by level in rising order. Each level
// has its own bit (AVX2 kernels are bound by 0x08 and 0x80 even when 0x20 is clear); for Slow the
// caller has already cleared AVX2 from the mask.
void bind_dxt1_vector_slots(DxtEncOps& ops, uint8_t quality, PixelFormat fmt,
                            CpuFeatureMask effective) {
  if ((effective & CPU_ALLOW_SPECIFIC) == 0) return;
  const bool host16 = fmt == ARGB_16_HOST;
  if ((effective & CPU_AVX) != 0) {
    if (quality == DXT_QUALITY_FAST) {
      ops.fetch_rgb_fast =
          host16 ? dxt1_fetch_rgb_fast_argb16_host_avx : dxt1_fetch_rgb_fast_argb8_avx;
    }
    if (quality == DXT_QUALITY_NORMAL) {
      ops.fetch_rgb_spread =
          host16 ? dxt1_fetch_rgb_spread_argb16_host_avx : dxt1_fetch_rgb_spread_argb8_avx;
    }
    if (quality != DXT_QUALITY_FAST) {
      ops.build_colour_set = host16 ? dxt1_colour_set_argb16_host_avx : dxt1_colour_set_argb8_avx;
      for (size_t i = 0; i < kClusterKernelCount; ++i) {
        ops.cluster_order[i] = kClusterOrderAvx[i];
        ops.cluster_search[i] = kClusterSearchAvx[i];
      }
    }
  }
  if ((effective & CPU_AVX2) != 0 && quality != DXT_QUALITY_SLOW) {
    ops.match_indices = dxt1_match_indices_avx2;
    ops.estimate_endpoints = dxt1_estimate_endpoints_avx2;
    if ((effective & CPU_FMA) != 0) ops.refine_endpoints = dxt1_refine_endpoints_avx2_fma;
  }
}

EncodeBlockFn* dxt1_block_for(uint8_t quality) {
  switch (quality) {
    case DXT_QUALITY_FAST:
      return dxt1_encode_block_fast;
    case DXT_QUALITY_NORMAL:
      return dxt1_encode_block_normal;
    default:
      return dxt1_encode_block_slow;
  }
}

bool quality_known(uint8_t quality) {
  return quality >= 1 && quality <= 3;
}

}  // namespace

size_t dxtenc_buffer_size(uint32_t width, uint32_t height, DxtEncType type, PadMode pad) {
  const bool crop = pad == PAD_CROP;
  const size_t across = width / 4 + (!crop && width % 4 != 0 ? 1 : 0);
  const size_t down = height / 4 + (!crop && height % 4 != 0 ? 1 : 0);
  size_t block_bytes = 24;
  switch (type) {
    case DXTENC_DXT1:
    case DXTENC_RGTC1_LUMA:
    case DXTENC_RGTC1_ALPHA:
      block_bytes = 8;
      break;
    case DXTENC_DXT5:
    case DXTENC_YCOCG:
    case DXTENC_BC7:
      block_bytes = 16;
      break;
    default:
      break;
  }
  return across * down * block_bytes;
}

int dxtenc_open(DxtEnc* enc, uint32_t width, uint32_t height, DxtEncType type, uint8_t quality,
                uint8_t reserved, PixelFormat fmt, PadMode pad, uint32_t threads,
                CpuFeatureMask mask) {
  const uint8_t source_without_alpha = enc->source_without_alpha;
  *enc = DxtEnc{};
  enc->source_without_alpha = source_without_alpha;
  enc->pixel_format = PIXEL_FORMAT_UNSET;

  if (fmt != ARGB_8 && fmt != ARGB_16_HOST) {
    std::printf("Pad invalid pix fmt : %d\n", static_cast<int>(fmt));
    return 1;
  }
  // The fields are 16-bit; a larger frame would be encoded from a truncated size.
  if (width > 0xFFFF || height > 0xFFFF) {
    std::printf("DxtEnc invalid size : %ux%u\n", width, height);
    return 1;
  }

  enc->quality = quality;
  enc->reserved = reserved;
  enc->type = type;
  enc->pad_mode = pad;
  enc->width = static_cast<uint16_t>(width);
  enc->height = static_cast<uint16_t>(height);

  const uint32_t processors = std::thread::hardware_concurrency();
  const ThreadBands bands = compute_thread_bands(height, threads, processors);
  enc->thread_count = bands.thread_count;
  for (uint32_t i = 0; i < kMaxThreadBands; ++i) {
    enc->band_start[i] = bands.start[i];
    enc->band_rows[i] = bands.rows[i];
  }

  CpuFeatureMask effective = effective_mask(mask, probe_cpu_facts());
  if ((type == DXTENC_DXT1 || type == DXTENC_DXT5) && quality == DXT_QUALITY_SLOW) {
    effective &= ~CPU_AVX2;
  }

  DxtEncOps& ops = enc->ops;
  ops.pad_block = pad_block_kernel(fmt, pad);

  switch (type) {
    case DXTENC_DXT1:
      if (!quality_known(quality)) {
        std::printf("DxtEnc DXT1 Qualite inconnu : %d\n", quality);
        return 1;
      }
      ops.encode_block = dxt1_block_for(quality);
      bind_dxt1_colour_slots(ops, quality, fmt);
      bind_dxt1_vector_slots(ops, quality, fmt, effective);
      break;
    case DXTENC_BC7:
      if (!hapr_bind_slots(ops, quality, fmt, enc->source_without_alpha != 0)) return 1;
      break;
    case DXTENC_DXT5:
      if (!quality_known(quality)) {
        std::printf("DxtEnc DXT5 Qualite inconnu : %d\n", quality);
        return 1;
      }
      bind_dxt1_colour_slots(ops, quality, fmt);
      bind_dxt1_vector_slots(ops, quality, fmt, effective);
      bind_alpha_ycocg_slots(ops, type, quality, fmt, enc->source_without_alpha != 0, effective);
      break;
    case DXTENC_RGTC1_LUMA:
    case DXTENC_RGTC1_ALPHA:
    case DXTENC_YCOCG:
    case DXTENC_YCOCG_RGTC1_ALPHA:
      bind_alpha_ycocg_slots(ops, type, quality, fmt, enc->source_without_alpha != 0, effective);
      break;
    default:
      std::printf("DxtEnc type non supporte : %u\n", static_cast<unsigned>(type));
      return 1;
  }

  enc->pixel_format = fmt;
  return 0;
}
