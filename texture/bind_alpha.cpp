// Alpha/RGTC1 family: the block entries of DXT5 and RGTC1 (types 1, 2, 3; the second texture of
// type 5), the channel fetch they read (alpha, or luma for type 2) and the two single-channel
// kernels. A source without an alpha channel reads a constant opaque alpha.
#include "texture/alpha_best.h"
#include "texture/alpha_rgtc1.h"
#include "texture/alpha_rgtc1_avx.h"
#include "texture/dxt1_avx512.h"
#include "texture/kernel_binding.h"

namespace {

// The type reads the source's alpha channel (not luma, not the constant).
bool fetches_alpha(const KernelBinding& b) {
  return b.type != DXTENC_RGTC1_LUMA && !b.source_without_alpha;
}

void bind_generic(DxtEncOps& ops, const KernelBinding& b) {
  const bool host16 = b.pixel_format == ARGB_16_HOST;
  // The RGTC1 textures have one encoder for the first three levels and their own at Best.
  const bool best = b.quality == DXT_QUALITY_BEST;
  switch (b.type) {
    case DXTENC_DXT5:
      ops.encode_block = b.quality == DXT_QUALITY_FAST     ? dxt5_encode_block_fast
                         : b.quality == DXT_QUALITY_NORMAL ? dxt5_encode_block_normal
                         : b.quality == DXT_QUALITY_SLOW   ? dxt5_encode_block_slow
                                                           : dxt5_encode_block_best;
      ops.encode_row = dxt5_encode_row_kernel(b.quality, b.pixel_format);
      break;
    case DXTENC_RGTC1_LUMA:
      ops.encode_block = best ? rgtc1_block_from_luma_best : rgtc1_block_from_luma;
      ops.fetch_luma = host16 ? fetch_luma_argb16_host : fetch_luma_argb8;
      break;
    case DXTENC_RGTC1_ALPHA:
      ops.encode_block = best ? rgtc1_block_from_alpha_best : rgtc1_block_from_alpha;
      break;
    case DXTENC_YCOCG_RGTC1_ALPHA:
      ops.encode_block_second = best ? rgtc1_block_from_alpha_best : rgtc1_block_from_alpha;
      break;
    default:
      break;
  }
  if (b.type != DXTENC_RGTC1_LUMA) {
    ops.fetch_alpha = !fetches_alpha(b) ? opaque_channel_block
                      : host16          ? fetch_alpha_argb16_host
                                        : fetch_alpha_argb8;
  }
  ops.alpha_range = alpha_range;
  ops.encode_alpha_block = encode_alpha_block;
}

void bind_avx(DxtEncOps& ops, const KernelBinding& b) {
  if (fetches_alpha(b)) {
    ops.fetch_alpha =
        b.pixel_format == ARGB_16_HOST ? fetch_alpha_argb16_host_avx : fetch_alpha_argb8_avx;
  }
  ops.alpha_range = alpha_range_avx;
  ops.encode_alpha_block = encode_alpha_block_avx;
}

void bind_avx2(DxtEncOps& ops, const KernelBinding&) {
  ops.encode_alpha_block = encode_alpha_block_avx2;
}

void bind_avx512(DxtEncOps& ops, const KernelBinding& b) {
  if (b.type != DXTENC_DXT5 || b.pixel_format != ARGB_8) return;
  if (b.quality == DXT_QUALITY_FAST) ops.encode_row = dxt5_encode_row_fast_argb8_avx512;
  if (b.quality == DXT_QUALITY_NORMAL) ops.encode_row = dxt5_encode_row_normal_argb8_avx512;
}

}  // namespace

void bind_alpha_kernels(DxtEncOps& ops, const KernelBinding& b) {
  bind_generic(ops, b);
  if (b.allows(CPU_LEVEL_AVX)) bind_avx(ops, b);
  if (b.allows(CPU_LEVEL_AVX2)) bind_avx2(ops, b);
  if (b.allows(CPU_LEVEL_AVX512)) bind_avx512(ops, b);
}
