#pragma once
// DXT1 kernels built for AVX (dxt1_avx.cpp, compiled with -mavx): tables bound by dxtenc_open
// when the effective processor mask allows AVX. Each gives the same bytes as its generic kernel.
#include "texture/dxtenc_slots.h"

// Cluster-fit split search per point count (index count - 2), eight splits per 256-bit lane row.
extern ClusterSearchFn* const kClusterSearchAvx[kClusterKernelCount];
