#pragma once
// Set-up of the operation-table slots of the alpha and YCoCg texture types (DXT5, RGTC1 from luma
// or alpha, Hap Q and Hap Q Alpha): the block entry points and the kernels they call through.
#include "texture/dxtenc.h"

// Fills the slots of `type` (DXTENC_DXT5 .. DXTENC_YCOCG_RGTC1_ALPHA) for `fmt` (ARGB_8 or
// ARGB_16_HOST), with the processor-specific alpha kernels that the effective mask `effective`
// allows. REQUIRES: for DXTENC_DXT5 a quality of 1..3 (the caller refuses others and binds the
// DXT1 colour slots). A source without alpha gets the constant-opaque alpha fetch.
void bind_alpha_ycocg_slots(DxtEncOps& ops, DxtEncType type, uint8_t quality, PixelFormat fmt,
                            bool source_without_alpha, CpuFeatureMask effective);
