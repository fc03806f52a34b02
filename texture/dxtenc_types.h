#pragma once
// What the texture compressor knows of each texture type and quality level, as tables: the block
// sizes of the texture (and of the second texture written right behind it), the kernel families
// set-up binds for it, and the rules set-up applies to its quality. Set-up, the block loop and the
// Hap layer read these tables; a new texture type is one entry (plus its kernels). Constants only.
#include <cstddef>
#include <cstdint>
#include <iterator>

// Texture produced by a DxtEnc. The values index kDxtEncTypes.
enum DxtEncType : uint32_t {
  DXTENC_DXT1 = 0,               // Hap
  DXTENC_DXT5 = 1,               // alpha block + DXT1 colour block (Hap Alpha)
  DXTENC_RGTC1_LUMA = 2,         // RGTC1 from luma (Hap Alpha-Only, source without alpha)
  DXTENC_RGTC1_ALPHA = 3,        // RGTC1 from alpha (Hap Alpha-Only)
  DXTENC_YCOCG = 4,              // scaled YCoCg DXT5 (Hap Q)
  DXTENC_YCOCG_RGTC1_ALPHA = 5,  // scaled YCoCg DXT5, then an RGTC1 alpha texture (Hap Q Alpha)
  DXTENC_BC7 = 6,                // Hap R
};

// Kernel families: the groups of slots one binding function fills (texture/kernel_binding.h).
enum KernelFamily : uint8_t {
  KERNELS_DXT1 = 1 << 0,   // DXT1 colour
  KERNELS_ALPHA = 1 << 1,  // interpolated single-channel blocks: DXT5 alpha and RGTC1
  KERNELS_YCOCG = 1 << 2,  // scaled YCoCg
  KERNELS_BC7 = 1 << 3,
};

struct DxtEncTypeInfo {
  uint32_t block_bytes;         // one block of the texture
  uint32_t second_block_bytes;  // one block of the second texture behind it; 0 when there is none
  uint8_t families;             // KernelFamily bits bound at set-up
  // Start of the line set-up prints (followed by the quality) when the quality is not one of
  // kDxtQualities; null when the type does not depend on the quality and accepts any value.
  const char* quality_refusal;
  bool slow_withholds_avx2;  // the AVX2 kernels are not used at Slow
};

inline constexpr DxtEncTypeInfo kDxtEncTypes[] = {
    {8, 0, KERNELS_DXT1, "DxtEnc DXT1 Qualite inconnu : ", true},                   // DXT1
    {16, 0, KERNELS_DXT1 | KERNELS_ALPHA, "DxtEnc DXT5 Qualite inconnu : ", true},  // DXT5
    {8, 0, KERNELS_ALPHA, nullptr, false},                                          // RGTC1_LUMA
    {8, 0, KERNELS_ALPHA, nullptr, false},                                          // RGTC1_ALPHA
    {16, 0, KERNELS_YCOCG, nullptr, false},                                         // YCOCG
    {16, 8, KERNELS_YCOCG | KERNELS_ALPHA, nullptr, false},  // YCOCG_RGTC1_ALPHA
    {16, 0, KERNELS_BC7, "BC7 invalid quality : ", false},   // BC7
};
static_assert(std::size(kDxtEncTypes) == DXTENC_BC7 + 1, "one entry per DxtEncType, in order");

// The entry of `type`, or null for a value that names no type.
constexpr const DxtEncTypeInfo* dxtenc_type_info(DxtEncType type) {
  return type < std::size(kDxtEncTypes) ? &kDxtEncTypes[type] : nullptr;
}

// Quality levels (the numbers of the options record), in rising effort.
constexpr uint8_t DXT_QUALITY_FAST = 1;
constexpr uint8_t DXT_QUALITY_NORMAL = 2;
constexpr uint8_t DXT_QUALITY_SLOW = 3;

struct DxtQuality {
  uint8_t value;
  const char* name;  // as the command line spells it
};
inline constexpr DxtQuality kDxtQualities[] = {
    {DXT_QUALITY_FAST, "fast"},
    {DXT_QUALITY_NORMAL, "normal"},
    {DXT_QUALITY_SLOW, "slow"},
};

// The entry of `quality`, or null for a value that names no level.
constexpr const DxtQuality* dxt_quality_info(uint8_t quality) {
  for (const DxtQuality& q : kDxtQualities) {
    if (q.value == quality) return &q;
  }
  return nullptr;
}
