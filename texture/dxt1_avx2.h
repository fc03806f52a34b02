#pragma once
// DXT1 kernels built for AVX2 (dxt1_avx2.cpp, compiled with -mavx2): bound by dxtenc_open for the
// Fast and Normal paths when the effective processor mask allows AVX2. Each gives the same
// results as its generic kernel.
#include "texture/dxtenc_slots.h"

EstimateEndpointsFn dxt1_estimate_endpoints_avx2;
MatchIndicesFn dxt1_match_indices_avx2;
