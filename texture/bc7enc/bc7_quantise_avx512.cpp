// The quantisation of trial endpoints built for AVX-512 (only this file). Cells with p-bits
// (modes 1, 6 and 7): every candidate at once, one 32-bit lane per component: lanes 0-3 the low
// endpoint with p-bit 0, 4-7 the high one with p-bit 0, 8-11 and 12-15 both with p-bit 1. Each
// lane runs the baseline's float steps in its order (clamp to 0..1, scale, (x - p) * 0.5 + 0.5,
// truncation; the expanded code over 255, or minus the input times 255, squared), and each
// candidate's error is summed component by component in the baseline's order, so the same p-bits
// win, chosen by lane comparisons. Cells without p-bits (mode 5) in eight lanes. Byte-equal to
// the baseline build.
// GCC 12 warns inside its own AVX-512 header, where intrinsics start from an undefined register
// (GCC bug 105593): silenced for the header's lines only.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop

#include <cstddef>

#include "texture/bc7enc/bc7_kernels.h"
#include "texture/bc7enc/bc7_solution.h"

// The result is written as one 16-byte vector: codes low, codes high, p-bit low, p-bit high.
static_assert(sizeof(Bc7EndpointCodes) == 16 && offsetof(Bc7EndpointCodes, m_high) == 4 &&
              offsetof(Bc7EndpointCodes, m_pbits) == 8);

namespace {

// Error of each candidate (lane 4 * k: low p0, high p0, low p1, high p1), its components' lanes
// added in order: ((e0 + e1) + e2) (+ e3).
inline __m512 sum_in_order(__m512 e, bool four) {
  __m512 s = _mm512_add_ps(e, _mm512_permute_ps(e, 0x01));
  s = _mm512_add_ps(s, _mm512_permute_ps(e, 0x02));
  if (four) s = _mm512_add_ps(s, _mm512_permute_ps(e, 0x03));
  return s;
}

// The p-bits the baseline keeps, from the errors of p-bit 0 (lanes 0 and 4 of `errors`: low and
// high endpoint) and of p-bit 1 (lanes 8 and 12): per endpoint the first error strictly below the
// best so far, which starts at 1e9. Bit 0 of the result: the low endpoint takes p-bit 1; bit 4:
// the high one does. False when an endpoint keeps neither (never for finite errors).
inline bool choose(__m512 errors, uint32_t& ones) {
  const __m512 start = _mm512_set1_ps(1e9f);
  const __mmask16 below_start = _mm512_cmp_ps_mask(errors, start, _CMP_LT_OQ);
  const __m512 best = _mm512_mask_blend_ps(below_start, start, errors);
  const __mmask16 take1 =
      _mm512_cmp_ps_mask(_mm512_shuffle_f32x4(errors, errors, 0xEE), best, _CMP_LT_OQ);
  ones = static_cast<uint32_t>(take1) & 0x11u;
  return ((static_cast<uint32_t>(below_start) | ones) & 0x11u) == 0x11u;
}

// e / 255 for the integers e = 0..255, as the division rounds it: the product with the rounded
// reciprocal, corrected once by its fused residual, equals the quotient for each of them (checked
// for all 256), at a fraction of a division's cost.
inline __m512 over_255(__m512 e) {
  const __m512 reciprocal = _mm512_set1_ps(1.0f / 255.0f);
  const __m512 q = _mm512_mul_ps(e, reciprocal);
  return _mm512_fmadd_ps(_mm512_fnmadd_ps(q, _mm512_set1_ps(255.0f), e), reciprocal, q);
}

// Inputs clamped as std::clamp(v, 0, 1) does: max and min return their second operand when both
// are zeros or one is a NaN, so a -0 or a NaN stays as it is. Lanes 0-3: low, 4-7: high, repeated.
inline __m512 clamped_inputs(const Bc7Vec4& low, const Bc7Vec4& high) {
  const __m256 both = _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_loadu_ps(low.m_c)),
                                           _mm_loadu_ps(high.m_c), 1);
  return _mm512_min_ps(_mm512_set1_ps(1.0f),
                       _mm512_max_ps(_mm512_setzero_ps(), _mm512_broadcast_f32x8(both)));
}

// Cells without p-bits (mode 5 colour): each code trunc(x * scale + 0.5), at most 255, with the
// baseline's float steps; the degenerate repair acts in mode 1 only, so there is none.
Bc7EndpointCodes quantise_without_pbits(uint32_t mode, const Bc7Vec4& low, const Bc7Vec4& high,
                                        const Bc7CellParams& cell) {
  if (mode == 1) return bc7_quantise_endpoints(mode, low, high, cell);
  const __m512 x = _mm512_mul_ps(clamped_inputs(low, high),
                                 _mm512_set1_ps(static_cast<float>((1u << cell.m_comp_bits) - 1)));
  const __m512i q = _mm512_min_epi32(_mm512_cvttps_epi32(_mm512_add_ps(x, _mm512_set1_ps(0.5f))),
                                     _mm512_set1_epi32(255));
  Bc7EndpointCodes out;
  _mm_storeu_si128(reinterpret_cast<__m128i*>(&out),
                   _mm_insert_epi64(_mm512_cvtepi32_epi8(q), 0, 1));
  return out;
}

}  // namespace

Bc7EndpointCodes bc7_quantise_endpoints_avx512(uint32_t mode, const Bc7Vec4& low,
                                               const Bc7Vec4& high, const Bc7CellParams& cell) {
  if (!cell.m_has_pbits) return quantise_without_pbits(mode, low, high, cell);
  const uint32_t bits = cell.m_comp_bits + 1;  // expanded code width, p-bit included
  const int32_t limit = (1 << bits) - 1;

  const __m512 u = clamped_inputs(low, high);
  const __m512 x = _mm512_mul_ps(u, _mm512_set1_ps(static_cast<float>(limit)));

  // Codes 2k + p nearest to x within p .. limit - 1 + p, then expanded by bit replication.
  const __m512i p = _mm512_maskz_mov_epi32(0xFF00, _mm512_set1_epi32(1));
  const __m512 half = _mm512_set1_ps(0.5f);
  __m512i q = _mm512_cvttps_epi32(
      _mm512_add_ps(_mm512_mul_ps(_mm512_sub_ps(x, _mm512_cvtepi32_ps(p)), half), half));
  q = _mm512_add_epi32(_mm512_slli_epi32(q, 1), p);
  q = _mm512_max_epi32(p, _mm512_min_epi32(q, _mm512_add_epi32(p, _mm512_set1_epi32(limit - 1))));
  __m512i expanded = _mm512_sll_epi32(q, _mm_cvtsi32_si128(static_cast<int>(8 - bits)));
  expanded = _mm512_or_si512(expanded,
                             _mm512_srl_epi32(expanded, _mm_cvtsi32_si128(static_cast<int>(bits))));
  const bool four = cell.m_has_alpha;

  // p-bit of each endpoint, from the candidates' errors.
  uint32_t ones = 0x11;  // an opaque mode 6 block keeps p-bit 1 on both endpoints (not measured)
  bool chosen = true;
  if (cell.m_endpoints_share_pbit) {
    // (expanded / 255 - input)^2, low and high added per component, then over the components;
    // lanes 0 and 4 both hold p-bit 0's error, 8 and 12 p-bit 1's.
    const __m512 d = _mm512_sub_ps(over_255(_mm512_cvtepi32_ps(expanded)), u);
    const __m512 sq = _mm512_mul_ps(d, d);
    chosen =
        choose(sum_in_order(_mm512_add_ps(sq, _mm512_shuffle_f32x4(sq, sq, 0xB1)), four), ones);
  } else if (mode != 6 || cell.m_has_alpha) {
    // Each endpoint on its own: (expanded - input * 255)^2 over the components.
    const __m512 d =
        _mm512_sub_ps(_mm512_cvtepi32_ps(expanded), _mm512_mul_ps(u, _mm512_set1_ps(255.0f)));
    chosen = choose(sum_in_order(_mm512_mul_ps(d, d), four), ones);
  }
  if (!chosen) return bc7_quantise_endpoints(mode, low, high, cell);

  // Low codes from lanes 0-3 or 8-11, high codes from 4-7 or 12-15, then the two p-bits.
  const __m512i picked = _mm512_mask_blend_epi32(static_cast<__mmask16>(ones * 0xFu), q,
                                                 _mm512_shuffle_i32x4(q, q, 0xEE));
  const __m128i codes = _mm512_cvtepi32_epi8(_mm512_srli_epi32(picked, 1));
  const __m128i result = _mm_insert_epi64(
      codes, static_cast<int64_t>((ones & 1u) | static_cast<uint64_t>(ones >> 4) << 32), 1);
  Bc7EndpointCodes out;
  _mm_storeu_si128(reinterpret_cast<__m128i*>(&out), result);
  // The repair only touches a channel (R, G or B) whose two codes are equal.
  if (mode == 1 && (_mm_cmpeq_epi8_mask(codes, _mm_srli_si128(codes, 4)) & 0x7u) != 0) {
    alignas(32) float scaled[8];
    _mm256_store_ps(scaled, _mm512_castps512_ps256(x));
    Bc7Vec4 xl, xh;
    for (uint32_t c = 0; c < 4; ++c) {
      xl.m_c[c] = scaled[c];
      xh.m_c[c] = scaled[4 + c];
    }
    bc7_fix_degenerate_endpoints(mode, out.m_low, out.m_high, xl, xh,
                                 static_cast<uint32_t>(limit) >> 1);
  }
  return out;
}
