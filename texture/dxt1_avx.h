#pragma once
// DXT1 kernels built for AVX (dxt1_avx.cpp and dxt1_fetch_avx.cpp, compiled with -mavx): bound by
// dxtenc_open when the effective processor mask allows AVX. Each gives the same bytes as its
// generic kernel.
#include "texture/dxtenc_slots.h"

// Cluster-fit split search and ordering per point count (index count - 2).
extern ClusterSearchFn* const kClusterSearchAvx[kClusterKernelCount];
extern ClusterOrderFn* const kClusterOrderAvx[kClusterKernelCount];

// Block fronts of the host's 8-bit and 16-bit ARGB.
FetchRgbFastFn dxt1_fetch_rgb_fast_argb8_avx;
FetchRgbFastFn dxt1_fetch_rgb_fast_argb16_host_avx;
FetchRgbSpreadFn dxt1_fetch_rgb_spread_argb8_avx;
FetchRgbSpreadFn dxt1_fetch_rgb_spread_argb16_host_avx;
BuildColourSetFn dxt1_colour_set_argb8_avx;
BuildColourSetFn dxt1_colour_set_argb16_host_avx;
