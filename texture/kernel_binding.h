#pragma once
// The binding functions of the kernel families, one per family (DXT1 colour, alpha/RGTC1, YCoCg,
// BC7). Each is a cascade: it gives every slot its family uses for the texture type the generic
// kernel, then, for each processor level of kCpuLevels that the effective mask allows, in rising
// order, overwrites the slots that level has kernels for. Slots a type does not use stay null.
// Called by dxtenc_open only, for the families the type lists (kDxtEncTypes).
#include "texture/cpu_levels.h"
#include "texture/dxtenc_slots.h"
#include "texture/dxtenc_types.h"
#include "texture/pixel_formats.h"

// What the binding functions choose by.
struct KernelBinding {
  DxtEncType type;
  uint8_t quality;            // one of kDxtQualities for the types that check it; else any value
  PixelFormat pixel_format;   // ARGB_8 or ARGB_16_HOST
  bool source_without_alpha;  // the source has no alpha channel: alpha reads as opaque
  CpuFeatureMask effective;   // after the processor probe and the type's own withholding rule

  constexpr bool allows(CpuFeatureMask level_bits) const {
    return cpu_level_allowed(effective, level_bits);
  }
};

using BindKernelsFn = void(DxtEncOps& ops, const KernelBinding& binding);

BindKernelsFn bind_dxt1_kernels;   // types 0 and 1: encode_block of type 0, the colour slots
BindKernelsFn bind_alpha_kernels;  // types 1, 2, 3, 5: their alpha slots and block entries
BindKernelsFn bind_ycocg_kernels;  // types 4 and 5: encode_block and the YCoCg slots
BindKernelsFn bind_bc7_kernels;    // type 6: fetch_bc7, encode_block; builds the BC7 tables
