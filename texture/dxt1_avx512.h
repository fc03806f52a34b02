#pragma once
// DXT1 kernels built for AVX-512 (F, BW, DQ, VL; files dxt1_*_avx512.cpp): bound by dxtenc_open
// when the effective processor mask allows the level. Each gives the same bytes as its generic
// kernel.
#include "texture/dxtenc_slots.h"

// Cluster-fit split search per point count (index count - 2).
extern ClusterSearchFn* const kClusterSearchAvx512[kClusterKernelCount];

// Fast DXT1 blocks of a row of the host's 8-bit ARGB, sixteen at a time (slot encode_row).
EncodeRowFn dxt1_encode_row_fast_argb8_avx512;
// Normal DXT1 blocks of a row of the host's 8-bit ARGB: the Fast ones sixteen at a time.
EncodeRowFn dxt1_encode_row_normal_argb8_avx512;
// DXT5 rows at Fast and Normal: the colour halves as in the DXT1 rows, the alpha halves block by
// block through the table's kernels.
EncodeRowFn dxt5_encode_row_fast_argb8_avx512;
EncodeRowFn dxt5_encode_row_normal_argb8_avx512;
