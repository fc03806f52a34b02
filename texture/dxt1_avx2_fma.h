#pragma once
// DXT1 kernels of the AVX2-with-FMA level (dxt1_avx2_fma.cpp, compiled with -mavx2 -mfma; the
// project-wide -ffp-contract=off keeps every multiply and add separate, so no fused operation
// changes a result). Bound by dxtenc_open when the effective mask allows AVX2 and FMA.
#include "texture/dxtenc_slots.h"

RefineEndpointsFn dxt1_refine_endpoints_avx2_fma;
