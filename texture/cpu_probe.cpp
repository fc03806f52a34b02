// Processor probe: the masking rule over plain facts, and the cpuid/xgetbv reads behind it.
#include "texture/cpu_probe.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#define ORVEX_HAVE_CPUID 1
#endif

namespace {

// The level bits this probe has facts for. Any other bit of a level is cleared, so that a level
// added to kCpuLevels stays off until the probe can confirm it.
constexpr CpuFeatureMask kProbedBits = CPU_AVX | CPU_FMA | CPU_AVX2 | CPU_AVX512;

constexpr CpuFeatureMask unprobed_level_bits() {
  CpuFeatureMask bits = 0;
  for (const CpuLevel& level : kCpuLevels) bits |= level.bits;
  return bits & ~kProbedBits;
}

}  // namespace

CpuFeatureMask effective_mask(CpuFeatureMask requested, const CpuFacts& facts) {
  // The 256-bit registers survive a context switch only when the operating system saves both the
  // SSE state (XCR0 bit 1) and the upper AVX halves (bit 2); either bit alone is not enough.
  const bool vector_state = facts.osxsave && facts.avx && (facts.xcr0 & 0x6u) == 0x6u;
  if (!vector_state) return requested & ~(kProbedBits | unprobed_level_bits());
  CpuFeatureMask mask = requested & ~unprobed_level_bits();
  if (facts.max_leaf < 7 || !facts.avx2) mask &= ~CPU_AVX2;
  if (!facts.fma) mask &= ~CPU_FMA;
  // 512-bit state: the opmask registers (XCR0 bit 5) and both halves of the ZMM file (bits 6, 7).
  const bool zmm_state = (facts.xcr0 & 0xE0u) == 0xE0u;
  if (facts.max_leaf < 7 || !facts.avx512 || !zmm_state) mask &= ~CPU_AVX512;
  return mask;
}

CpuFacts probe_cpu_facts() {
  CpuFacts facts;
#ifdef ORVEX_HAVE_CPUID
  unsigned a = 0, b = 0, c = 0, d = 0;
  facts.max_leaf = __get_cpuid_max(0, nullptr);
  if (facts.max_leaf >= 1 && __get_cpuid(1, &a, &b, &c, &d)) {
    facts.osxsave = (c >> 27) & 1u;
    facts.avx = (c >> 28) & 1u;
    facts.fma = (c >> 12) & 1u;
  }
  if (facts.osxsave && facts.avx) {
    unsigned lo = 0, hi = 0;
    __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
    facts.xcr0 = lo;
  }
  if (facts.max_leaf >= 7) {
    __cpuid_count(7, 0, a, b, c, d);
    facts.avx2 = (b >> 5) & 1u;
    constexpr unsigned kAvx512Bits = (1u << 16) | (1u << 17) | (1u << 30) | (1u << 31);
    facts.avx512 = (b & kAvx512Bits) == kAvx512Bits;
  }
#endif
  return facts;
}
