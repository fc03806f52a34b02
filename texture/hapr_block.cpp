#include "texture/hapr_block.h"

#include <cstdio>

#include "texture/bc7enc/bc7_compress_block.h"
#include "texture/bc7enc/bc7_presets.h"
#include "texture/bc7enc/bc7_tables.h"

namespace {

template <const Bc7BlockParams& kParams, const Bc7Kernels& kKernels>
void hapr_encode_block(DxtEncOps ops, uint8_t* out, const uint8_t* const planes[4],
                       const size_t strides[4]) {
  Bc7Color pixels[16];
  ops.fetch_bc7(planes[0], strides[0], pixels[0].m_c);
  bc7_compress_block(out, pixels, kParams, kKernels);
}

}  // namespace

void hapr_encode_block_fast(DxtEncOps ops, uint8_t* out, const uint8_t* const planes[4],
                            const size_t strides[4]) {
  hapr_encode_block<g_bc7_params_fast, g_bc7_kernels_generic>(ops, out, planes, strides);
}

void hapr_encode_block_normal(DxtEncOps ops, uint8_t* out, const uint8_t* const planes[4],
                              const size_t strides[4]) {
  hapr_encode_block<g_bc7_params_normal, g_bc7_kernels_generic>(ops, out, planes, strides);
}

void hapr_encode_block_slow(DxtEncOps ops, uint8_t* out, const uint8_t* const planes[4],
                            const size_t strides[4]) {
  hapr_encode_block<g_bc7_params_slow, g_bc7_kernels_generic>(ops, out, planes, strides);
}

void hapr_encode_block_fast_avx2(DxtEncOps ops, uint8_t* out, const uint8_t* const planes[4],
                                 const size_t strides[4]) {
  hapr_encode_block<g_bc7_params_fast, g_bc7_kernels_avx2>(ops, out, planes, strides);
}

void hapr_encode_block_normal_avx2(DxtEncOps ops, uint8_t* out, const uint8_t* const planes[4],
                                   const size_t strides[4]) {
  hapr_encode_block<g_bc7_params_normal, g_bc7_kernels_avx2>(ops, out, planes, strides);
}

void hapr_encode_block_slow_avx2(DxtEncOps ops, uint8_t* out, const uint8_t* const planes[4],
                                 const size_t strides[4]) {
  hapr_encode_block<g_bc7_params_slow, g_bc7_kernels_avx2>(ops, out, planes, strides);
}

bool hapr_bind_slots(DxtEncOps& ops, uint8_t quality, PixelFormat fmt, bool source_without_alpha,
                     CpuFeatureMask effective) {
  const bool avx2 = (effective & CPU_ALLOW_SPECIFIC) != 0 && (effective & CPU_AVX2) != 0;
  switch (quality) {
    case 1:
      ops.encode_block = avx2 ? hapr_encode_block_fast_avx2 : hapr_encode_block_fast;
      break;
    case 2:
      ops.encode_block = avx2 ? hapr_encode_block_normal_avx2 : hapr_encode_block_normal;
      break;
    case 3:
      ops.encode_block = avx2 ? hapr_encode_block_slow_avx2 : hapr_encode_block_slow;
      break;
    default:
      std::printf("BC7 invalid quality : %d\n", quality);
      return false;
  }
  if (fmt == ARGB_16_HOST)
    ops.fetch_bc7 = source_without_alpha ? rgba8_block_argb16_host_opaque : rgba8_block_argb16_host;
  else
    ops.fetch_bc7 = source_without_alpha ? rgba8_block_argb8_opaque : rgba8_block_argb8;
  bc7_init_tables();
  return true;
}
