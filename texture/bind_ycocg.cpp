// YCoCg family: the Hap Q block entry of types 4 and 5 and the conversion and half-encoder slots
// it calls. The first three levels share one encoder; Best starts from it (its own entry per pixel
// format), with an AVX2 build of its search.
#include "texture/kernel_binding.h"
#include "texture/ycocg.h"
#include "texture/ycocg_best.h"

void bind_ycocg_kernels(DxtEncOps& ops, const KernelBinding& b) {
  ops.encode_block = encode_hapq_block;
  if (b.quality == DXT_QUALITY_BEST) {
    ops.encode_block = b.pixel_format == ARGB_16_HOST ? encode_hapq_block_best_argb16_host
                                                      : encode_hapq_block_best_argb8;
  }
  ops.ycocg_convert =
      b.pixel_format == ARGB_16_HOST ? ycocg_from_block_argb16_host : ycocg_from_block_argb8;
  ops.ycocg_y_block = encode_y_block;
  ops.ycocg_cocg_block = encode_cocg_block;
  if (b.quality == DXT_QUALITY_BEST && b.allows(CPU_LEVEL_AVX2)) {
    ops.encode_block = b.pixel_format == ARGB_16_HOST ? encode_hapq_block_best_argb16_host_avx2
                                                      : encode_hapq_block_best_argb8_avx2;
  }
}
