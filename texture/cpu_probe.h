#pragma once
// Processor probe for the kernel choice: the facts read from the processor (pure data, so the
// masking rule can be tested anywhere) and the effective CpuFeatureMask they allow.
#include <cstdint>

#include "texture/cpu_levels.h"

struct CpuFacts {
  bool osxsave = false;
  bool avx = false;
  uint32_t xcr0 = 0;      // extended control register 0 (read only when osxsave and avx)
  uint32_t max_leaf = 0;  // highest basic leaf
  bool avx2 = false;      // leaf 7 EBX bit 5
  bool fma = false;       // leaf 1 ECX bit 12
  // Leaf 7 EBX bits 16 (F), 17 (DQ), 30 (BW) and 31 (VL), all four required.
  bool avx512 = false;
};

// The requested mask with 0x20/0x40/0x80 cleared where the facts do not allow them: all three
// unless the vector state is enabled (OSXSAVE and AVX, and XCR0 bits 1 and 2 both set); 0x80
// without AVX2 (asked only when max_leaf >= 7); 0x40 without FMA; 0x100 without the four AVX-512
// features or unless XCR0 also has bits 5-7 (opmask, upper ZMM halves, ZMM16-31). A bit of a level in kCpuLevels
// that the facts say nothing about is always cleared; other bits pass through.
CpuFeatureMask effective_mask(CpuFeatureMask requested, const CpuFacts& facts);

// Reads the facts of the running processor (all false on non-x86 builds).
CpuFacts probe_cpu_facts();
