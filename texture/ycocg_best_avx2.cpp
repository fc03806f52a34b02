// AVX2 build of the Best Hap Q search (ycocg_best_search.h): the same blocks as the generic build.
// Only this file is compiled with -mavx2.
#include "texture/ycocg_best_search.h"

void encode_hapq_block_best_argb8_avx2(DxtEncOps ops, uint8_t* out, const uint8_t* const planes[4],
                                       const size_t strides[4]) {
  encode_hapq_block_best<ARGB_8>(ops, out, planes, strides);
}

void encode_hapq_block_best_argb16_host_avx2(DxtEncOps ops, uint8_t* out,
                                             const uint8_t* const planes[4],
                                             const size_t strides[4]) {
  encode_hapq_block_best<ARGB_16_HOST>(ops, out, planes, strides);
}
