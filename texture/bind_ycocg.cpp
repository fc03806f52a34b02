// YCoCg family: the Hap Q block entry of types 4 and 5 and the conversion and half-encoder slots
// it calls. Only generic kernels exist so far; a processor level adds its overwrites below them.
#include "texture/kernel_binding.h"
#include "texture/ycocg.h"

void bind_ycocg_kernels(DxtEncOps& ops, const KernelBinding& b) {
  ops.encode_block = encode_hapq_block;
  ops.ycocg_convert =
      b.pixel_format == ARGB_16_HOST ? ycocg_from_block_argb16_host : ycocg_from_block_argb8;
  ops.ycocg_y_block = encode_y_block;
  ops.ycocg_cocg_block = encode_cocg_block;
}
