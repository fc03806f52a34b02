// Slot choice of the alpha and YCoCg texture types: the generic kernels, then the alpha kernels
// of each processor level the effective mask allows, in rising order.
#include "texture/alpha_ycocg_setup.h"

#include "texture/alpha_rgtc1.h"
#include "texture/alpha_rgtc1_avx.h"
#include "texture/ycocg.h"

void bind_alpha_ycocg_slots(DxtEncOps& ops, DxtEncType type, uint8_t quality, PixelFormat fmt,
                            bool source_without_alpha, CpuFeatureMask effective) {
  const bool host16 = fmt == ARGB_16_HOST;

  if (type == DXTENC_YCOCG || type == DXTENC_YCOCG_RGTC1_ALPHA) {
    ops.encode_block = encode_hapq_block;
    ops.ycocg_convert = host16 ? ycocg_from_block_argb16_host : ycocg_from_block_argb8;
    ops.ycocg_y_block = encode_y_block;
    ops.ycocg_cocg_block = encode_cocg_block;
  }

  if (type == DXTENC_DXT5) {
    switch (quality) {
      case DXT_QUALITY_FAST:
        ops.encode_block = dxt5_encode_block_fast;
        break;
      case DXT_QUALITY_NORMAL:
        ops.encode_block = dxt5_encode_block_normal;
        break;
      default:
        ops.encode_block = dxt5_encode_block_slow;
        break;
    }
  }

  if (type == DXTENC_DXT5 || type == DXTENC_RGTC1_ALPHA || type == DXTENC_YCOCG_RGTC1_ALPHA) {
    if (source_without_alpha) {
      ops.fetch_alpha = opaque_channel_block;
    } else {
      ops.fetch_alpha = host16 ? fetch_alpha_argb16_host : fetch_alpha_argb8;
    }
  }

  if (type == DXTENC_RGTC1_LUMA) {
    ops.encode_block = rgtc1_block_from_luma;
    ops.fetch_luma = host16 ? fetch_luma_argb16_host : fetch_luma_argb8;
  }
  if (type == DXTENC_RGTC1_ALPHA) ops.encode_block = rgtc1_block_from_alpha;
  if (type == DXTENC_YCOCG_RGTC1_ALPHA) ops.encode_block_second = rgtc1_block_from_alpha;

  if (type != DXTENC_YCOCG) {
    ops.alpha_range = alpha_range;
    ops.encode_alpha_block = encode_alpha_block;
  }

  if ((effective & CPU_ALLOW_SPECIFIC) == 0) return;
  const bool alpha_fetch =
      (type == DXTENC_DXT5 || type == DXTENC_RGTC1_ALPHA || type == DXTENC_YCOCG_RGTC1_ALPHA) &&
      !source_without_alpha;
  if ((effective & CPU_AVX) != 0) {
    if (alpha_fetch) ops.fetch_alpha = host16 ? fetch_alpha_argb16_host_avx : fetch_alpha_argb8_avx;
    if (type != DXTENC_YCOCG) {
      ops.alpha_range = alpha_range_avx;
      ops.encode_alpha_block = encode_alpha_block_avx;
    }
  }
  if ((effective & CPU_AVX2) != 0 && type != DXTENC_YCOCG) {
    ops.encode_alpha_block = encode_alpha_block_avx2;
  }
}
