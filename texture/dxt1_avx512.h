#pragma once
// DXT1 kernels built for AVX-512 (F, BW, DQ, VL; files dxt1_*_avx512.cpp): bound by dxtenc_open
// when the effective processor mask allows the level. Each gives the same bytes as its generic
// kernel.
#include "texture/dxtenc_slots.h"

// Cluster-fit split search per point count (index count - 2).
extern ClusterSearchFn* const kClusterSearchAvx512[kClusterKernelCount];
