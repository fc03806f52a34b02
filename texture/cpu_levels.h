#pragma once
// Instruction-set mask of the texture compressor and its processor levels. A level is the set of
// mask bits its kernels need; set-up binds the generic kernels first, then the kernels of every
// level the effective mask allows, in the order of kCpuLevels (later levels overwrite earlier
// ones). The equivalence tests and the benchmarks walk the same list. Constants only.
#include <cstdint>

using CpuFeatureMask = uint32_t;
constexpr CpuFeatureMask CPU_ALLOW_SPECIFIC = 0x08;  // processor-specific kernels allowed at all
constexpr CpuFeatureMask CPU_AVX = 0x20;
constexpr CpuFeatureMask CPU_FMA = 0x40;
constexpr CpuFeatureMask CPU_AVX2 = 0x80;
// AVX-512 F, BW, DQ and VL together, with the opmask and ZMM state saved by the operating system.
// Above the bits the host's mask has always had; a mask without it keeps the kernels below.
constexpr CpuFeatureMask CPU_AVX512 = 0x100;
constexpr CpuFeatureMask CPU_MASK_DEFAULT = 0x1F8;  // what the render job passes

// The bits of each level, as the binding functions name them.
constexpr CpuFeatureMask CPU_LEVEL_AVX = CPU_AVX;
constexpr CpuFeatureMask CPU_LEVEL_AVX2 = CPU_AVX2;
constexpr CpuFeatureMask CPU_LEVEL_AVX2_FMA = CPU_AVX2 | CPU_FMA;
constexpr CpuFeatureMask CPU_LEVEL_AVX512 = CPU_AVX512;

struct CpuLevel {
  const char* name;     // suffix of the level's kernels and files
  CpuFeatureMask bits;  // needed besides CPU_ALLOW_SPECIFIC
};

// In rising order. A level needs only its own bits: a mask may allow AVX2 without AVX, and the
// AVX2 kernels then sit over the generic ones.
inline constexpr CpuLevel kCpuLevels[] = {
    {"avx", CPU_LEVEL_AVX},
    {"avx2", CPU_LEVEL_AVX2},
    {"avx2_fma", CPU_LEVEL_AVX2_FMA},
    {"avx512", CPU_LEVEL_AVX512},
};

// True when `effective` allows the kernels of the level with `level_bits`.
constexpr bool cpu_level_allowed(CpuFeatureMask effective, CpuFeatureMask level_bits) {
  const CpuFeatureMask needed = CPU_ALLOW_SPECIFIC | level_bits;
  return (effective & needed) == needed;
}
