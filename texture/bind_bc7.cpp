// BC7 family (Hap R): the block fetch by pixel format and alpha, and the block entry by quality,
// built on the generic BC7 kernels and overwritten by the entry built on the AVX2 kernels where
// the mask allows AVX2, then on the AVX-512 kernels where it allows AVX-512, with a row entry that
// compresses blocks in batches (same bytes). The one-time BC7 tables are written here, at set-up.
#include "texture/bc7enc/bc7_tables.h"
#include "texture/hapr_block.h"
#include "texture/kernel_binding.h"

void bind_bc7_kernels(DxtEncOps& ops, const KernelBinding& b) {
  if (b.pixel_format == ARGB_16_HOST) {
    ops.fetch_bc7 =
        b.source_without_alpha ? rgba8_block_argb16_host_opaque : rgba8_block_argb16_host;
  } else {
    ops.fetch_bc7 = b.source_without_alpha ? rgba8_block_argb8_opaque : rgba8_block_argb8;
  }
  ops.encode_block = hapr_encode_block(b.quality, HaprKernels::generic);
  if (b.allows(CPU_LEVEL_AVX2)) ops.encode_block = hapr_encode_block(b.quality, HaprKernels::avx2);
  if (b.allows(CPU_LEVEL_AVX512)) {
    ops.encode_block = hapr_encode_block(b.quality, HaprKernels::avx512);
    ops.encode_row = hapr_encode_row_avx512(b.quality, b.pixel_format);
  }
  bc7_init_tables();
}
