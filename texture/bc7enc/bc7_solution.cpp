#include "texture/bc7enc/bc7_solution.h"

#include <cassert>
#include <cstring>

#include "texture/bc7enc/bc7_weights.h"

namespace {

// Nearest code of the form 2k + p (p the p-bit) to x, within p .. limit - 1 + p.
int32_t quantise_with_pbit(float x, int32_t p, int32_t limit) {
  const int32_t q = static_cast<int32_t>((x - static_cast<float>(p)) * 0.5f + 0.5f) * 2 + p;
  return std::clamp(q, p, limit - 1 + p);
}

}  // namespace

void bc7_fix_degenerate_endpoints(uint32_t mode, Bc7Color& low_codes, Bc7Color& high_codes,
                                  const Bc7Vec4& low_input, const Bc7Vec4& high_input,
                                  uint32_t max) {
  if (mode != 1) return;
  const uint32_t half = max >> 1;
  for (int c = 0; c < 3; ++c) {
    if (low_codes.m_c[c] != high_codes.m_c[c] || low_input.m_c[c] == high_input.m_c[c]) continue;
    if (low_codes.m_c[c] > half)
      --low_codes.m_c[c];
    else if (high_codes.m_c[c] < max)
      ++high_codes.m_c[c];
    else if (low_codes.m_c[c] > 0)
      --low_codes.m_c[c];
  }
}

Bc7EndpointCodes bc7_quantise_endpoints(uint32_t mode, const Bc7Vec4& low_in,
                                        const Bc7Vec4& high_in, const Bc7CellParams& cell) {
  const Bc7Vec4 low = bc7_vec_clamp01(low_in);
  const Bc7Vec4 high = bc7_vec_clamp01(high_in);
  const uint32_t err_comps = cell.m_has_alpha ? 4 : 3;
  Bc7Color lo_codes{}, hi_codes{};
  uint32_t pbits[2] = {0, 0};

  if (cell.m_has_pbits) {
    const int32_t limit = (1 << (cell.m_comp_bits + 1)) - 1;
    const uint32_t expanded_bits = cell.m_comp_bits + 1;
    const Bc7Vec4 xl = bc7_vec_scale(low, static_cast<float>(limit));
    const Bc7Vec4 xh = bc7_vec_scale(high, static_cast<float>(limit));
    if (cell.m_endpoints_share_pbit) {
      float best_err = 1e9f;
      for (int32_t p = 0; p < 2; ++p) {
        int32_t ql[4], qh[4];
        float err = 0;
        for (uint32_t c = 0; c < 4; ++c) {
          ql[c] = quantise_with_pbit(xl.m_c[c], p, limit);
          qh[c] = quantise_with_pbit(xh.m_c[c], p, limit);
        }
        for (uint32_t c = 0; c < err_comps; ++c) {
          const float dl = bc7_expand(ql[c], expanded_bits) / 255.0f - low.m_c[c];
          const float dh = bc7_expand(qh[c], expanded_bits) / 255.0f - high.m_c[c];
          err += dl * dl + dh * dh;
        }
        if (err < best_err) {
          best_err = err;
          for (uint32_t c = 0; c < 4; ++c) {
            lo_codes.m_c[c] = static_cast<uint8_t>(ql[c] >> 1);
            hi_codes.m_c[c] = static_cast<uint8_t>(qh[c] >> 1);
          }
          pbits[0] = pbits[1] = static_cast<uint32_t>(p);
        }
      }
    } else {
      // An opaque mode 6 block still stores alpha with each endpoint's p-bit: keep it at 1.
      const int32_t first_p = (mode == 6 && !cell.m_has_alpha) ? 1 : 0;
      const Bc7Vec4* inputs[2] = {&xl, &xh};
      const Bc7Vec4* unscaled[2] = {&low, &high};
      Bc7Color* codes[2] = {&lo_codes, &hi_codes};
      for (int e = 0; e < 2; ++e) {
        float best_err = 1e9f;
        for (int32_t p = first_p; p < 2; ++p) {
          int32_t q[4];
          float err = 0;
          for (uint32_t c = 0; c < 4; ++c) q[c] = quantise_with_pbit(inputs[e]->m_c[c], p, limit);
          // A single candidate (opaque mode 6) wins whatever its error: skip measuring it.
          for (uint32_t c = 0; first_p == 0 && c < err_comps; ++c) {
            const float d =
                static_cast<float>(bc7_expand(q[c], expanded_bits)) - unscaled[e]->m_c[c] * 255.0f;
            err += d * d;
          }
          if (err < best_err) {
            best_err = err;
            for (uint32_t c = 0; c < 4; ++c) codes[e]->m_c[c] = static_cast<uint8_t>(q[c] >> 1);
            pbits[e] = static_cast<uint32_t>(p);
          }
        }
      }
    }
    bc7_fix_degenerate_endpoints(mode, lo_codes, hi_codes, xl, xh,
                                 static_cast<uint32_t>(limit) >> 1);
  } else {
    const uint32_t scale = (1u << cell.m_comp_bits) - 1;
    const Bc7Vec4 xl = bc7_vec_scale(low, static_cast<float>(scale));
    const Bc7Vec4 xh = bc7_vec_scale(high, static_cast<float>(scale));
    for (uint32_t c = 0; c < 4; ++c) {
      lo_codes.m_c[c] = static_cast<uint8_t>(std::min(static_cast<int32_t>(xl.m_c[c] + 0.5f), 255));
      hi_codes.m_c[c] = static_cast<uint8_t>(std::min(static_cast<int32_t>(xh.m_c[c] + 0.5f), 255));
    }
    bc7_fix_degenerate_endpoints(mode, lo_codes, hi_codes, xl, xh, scale);
  }

  return Bc7EndpointCodes{lo_codes, hi_codes, {pbits[0], pbits[1]}};
}

bool bc7_is_stored_best(const Bc7EndpointCodes& codes, const Bc7CellResults& results) {
  return results.m_best_overall_err != UINT64_MAX &&
         std::memcmp(&codes.m_low, &results.m_low_endpoint, sizeof codes.m_low) == 0 &&
         std::memcmp(&codes.m_high, &results.m_high_endpoint, sizeof codes.m_high) == 0 &&
         codes.m_pbits[0] == results.m_pbits[0] && codes.m_pbits[1] == results.m_pbits[1];
}

uint64_t bc7_find_optimal_solution(uint32_t mode, Bc7Vec4 low, Bc7Vec4 high,
                                   const Bc7CellParams& cell, Bc7CellResults& results) {
  const Bc7EndpointCodes codes = cell.m_quantise_endpoints(mode, low, high, cell);
  if (!bc7_is_stored_best(codes, results))
    bc7_evaluate_solution(codes.m_low, codes.m_high, codes.m_pbits, cell, results);
  return results.m_best_overall_err;
}

namespace {

// Selector choice and error over `kComps` components (3: R, G, B; 4: with alpha). Gives up as
// soon as the running total reaches the best error, since only a strictly smaller one is kept.
template <uint32_t kComps, bool kUnitWeights>
uint64_t evaluate_selectors(const uint32_t lo[4], const uint32_t hi[4], const Bc7CellParams& cell,
                            uint64_t best_err, uint8_t selectors[16]) {
  const uint32_t n = cell.m_num_selector_weights;
  const uint32_t num_pixels = cell.m_num_pixels;
  int32_t palette[16][kComps];
  for (uint32_t i = 0; i < n; ++i)
    for (uint32_t c = 0; c < kComps; ++c)
      palette[i][c] =
          static_cast<int32_t>(bc7_interpolate(lo[c], hi[c], cell.m_selector_weights[i]));

  // Project each pixel on the endpoint line (scaled by N, not N - 1), then settle between the
  // two neighbouring palette entries. Projections first, for all pixels (a loop without
  // exits), in the same float operation order per pixel.
  float d[kComps], lo_f[kComps], len2 = 0;
  for (uint32_t c = 0; c < kComps; ++c) {
    lo_f[c] = static_cast<float>(lo[c]);
    d[c] = static_cast<float>(hi[c]) - lo_f[c];
    len2 += d[c] * d[c];
  }
  const float f = static_cast<float>(n) / (len2 + 0.00000125f);
  const int32_t top = static_cast<int32_t>(n) - 1;
  int32_t upper[16];
  for (uint32_t i = 0; i < num_pixels; ++i) {
    const Bc7Color& px = cell.m_pixels[i];
    float dot = 0;
    for (uint32_t c = 0; c < kComps; ++c) dot += (static_cast<float>(px.m_c[c]) - lo_f[c]) * d[c];
    upper[i] = std::clamp(static_cast<int32_t>(dot * f + 0.5f), 1, top);
  }

  const auto distance = [&cell](const Bc7Color& px, const int32_t* entry) {
    uint32_t sum = 0;
    for (uint32_t c = 0; c < kComps; ++c) {
      const int32_t e = static_cast<int32_t>(px.m_c[c]) - entry[c];
      sum += (kUnitWeights ? 1u : cell.m_weights[c]) * static_cast<uint32_t>(e * e);
    }
    return sum;
  };
  uint64_t total = 0;
  for (uint32_t i = 0; i < num_pixels; ++i) {
    const Bc7Color& px = cell.m_pixels[i];
    const int32_t s = upper[i];
    const uint32_t err_below = distance(px, palette[s - 1]);
    const uint32_t err_at = distance(px, palette[s]);
    if (err_below < err_at) {
      selectors[i] = static_cast<uint8_t>(s - 1);
      total += err_below;
    } else {
      selectors[i] = static_cast<uint8_t>(s);
      total += err_at;
    }
    if (total >= best_err) break;
  }
  return total;
}

}  // namespace

uint64_t bc7_evaluate_selectors(const uint32_t lo[4], const uint32_t hi[4],
                                const Bc7CellParams& cell, uint64_t best_err,
                                uint8_t selectors[16]) {
  const bool unit = cell.m_weights[0] == 1 && cell.m_weights[1] == 1 && cell.m_weights[2] == 1 &&
                    (!cell.m_has_alpha || cell.m_weights[3] == 1);
  if (cell.m_has_alpha)
    return unit ? evaluate_selectors<4, true>(lo, hi, cell, best_err, selectors)
                : evaluate_selectors<4, false>(lo, hi, cell, best_err, selectors);
  return unit ? evaluate_selectors<3, true>(lo, hi, cell, best_err, selectors)
              : evaluate_selectors<3, false>(lo, hi, cell, best_err, selectors);
}

uint64_t bc7_evaluate_solution(const Bc7Color& low_codes, const Bc7Color& high_codes,
                               const uint32_t pbits[2], const Bc7CellParams& cell,
                               Bc7CellResults& results) {
  uint32_t lo[4], hi[4];
  for (uint32_t c = 0; c < 4; ++c) {
    if (cell.m_has_pbits) {
      lo[c] = bc7_expand((low_codes.m_c[c] << 1) | pbits[0], cell.m_comp_bits + 1);
      hi[c] = bc7_expand((high_codes.m_c[c] << 1) | pbits[cell.m_endpoints_share_pbit ? 0 : 1],
                         cell.m_comp_bits + 1);
    } else {
      lo[c] = bc7_expand(low_codes.m_c[c], cell.m_comp_bits);
      hi[c] = bc7_expand(high_codes.m_c[c], cell.m_comp_bits);
    }
  }
  uint8_t selectors[16];
  const uint64_t best = results.m_best_overall_err;
  const uint64_t total = cell.m_evaluate_selectors(lo, hi, cell, best, selectors);
  if (total < results.m_best_overall_err) {
    results.m_best_overall_err = total;
    results.m_low_endpoint = low_codes;
    results.m_high_endpoint = high_codes;
    results.m_pbits[0] = pbits[0];
    results.m_pbits[1] = pbits[1];
    std::memcpy(results.m_selectors, selectors, cell.m_num_pixels);
  }
  return total;
}
