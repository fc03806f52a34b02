#pragma once
// Single-channel block kernels built for AVX (alpha_rgtc1_avx.cpp, compiled with -mavx) and AVX2
// (alpha_rgtc1_avx2.cpp, -mavx2), bound by dxtenc_open by the effective processor mask. Each
// computes the same results as its generic kernel.
#include "texture/dxtenc_slots.h"

AlphaRangeFn alpha_range_avx;
EncodeAlphaBlockFn encode_alpha_block_avx;
EncodeAlphaBlockFn encode_alpha_block_avx2;
FetchChannelFn fetch_alpha_argb8_avx;
FetchChannelFn fetch_alpha_argb16_host_avx;
