#include "texture/bc7enc/bc7_one_colour.h"

#include <cstring>

#include "texture/bc7enc/bc7_tables.h"
#include "texture/bc7enc/bc7_weights.h"

namespace {

uint64_t colour_error(const Bc7CellParams& cell, uint32_t num_pixels, const Bc7Color* pixels,
                      const uint32_t colour[4], uint32_t comps) {
  uint64_t total = 0;
  for (uint32_t i = 0; i < num_pixels; ++i)
    for (uint32_t c = 0; c < comps; ++c) {
      const int32_t d = static_cast<int32_t>(pixels[i].m_c[c]) - static_cast<int32_t>(colour[c]);
      total += static_cast<uint64_t>(cell.m_weights[c]) * static_cast<uint64_t>(d * d);
    }
  return total;
}

}  // namespace

uint64_t bc7_pack_mode1_one_colour(const Bc7CellParams& cell, Bc7CellResults& results, uint32_t r,
                                   uint32_t g, uint32_t b, uint8_t* selectors) {
  const uint32_t target[3] = {r, g, b};
  uint32_t best_err = UINT32_MAX, best_p = 0;
  for (uint32_t p = 0; p < 2; ++p) {
    uint32_t err = 0;
    for (uint32_t c = 0; c < 3; ++c) err += g_bc7_mode_1_optimal_endpoints[target[c]][p].m_error;
    if (err < best_err) {
      best_err = err;
      best_p = p;
      if (err == 0) break;
    }
  }
  uint32_t colour[4] = {0, 0, 0, 0};
  for (uint32_t c = 0; c < 3; ++c) {
    const Bc7OptimalEndpoint& e = g_bc7_mode_1_optimal_endpoints[target[c]][best_p];
    results.m_low_endpoint.m_c[c] = e.m_lo;
    results.m_high_endpoint.m_c[c] = e.m_hi;
    colour[c] = bc7_interpolate(bc7_expand((e.m_lo << 1) | best_p, 7),
                                bc7_expand((e.m_hi << 1) | best_p, 7), g_bc7_weights3[2]);
  }
  results.m_low_endpoint.m_c[3] = results.m_high_endpoint.m_c[3] = 0;
  results.m_pbits[0] = best_p;
  results.m_pbits[1] = 0;
  std::memset(selectors, 2, cell.m_num_pixels);
  results.m_best_overall_err = colour_error(cell, cell.m_num_pixels, cell.m_pixels, colour, 3);
  return results.m_best_overall_err;
}

uint64_t bc7_pack_mode7_one_colour(const Bc7CellParams& cell, Bc7CellResults& results, uint32_t r,
                                   uint32_t g, uint32_t b, uint32_t a, uint8_t* selectors,
                                   uint32_t num_pixels, const Bc7Color* pixels) {
  const uint32_t target[4] = {r, g, b, a};
  uint32_t best_err = UINT32_MAX, best_k = 0;
  for (uint32_t k = 0; k < 4; ++k) {
    const uint32_t lp = k & 1, hp = k >> 1;
    uint32_t err = 0;
    for (uint32_t c = 0; c < 4; ++c)
      err += g_bc7_mode_7_optimal_endpoints[target[c]][hp][lp].m_error;
    if (err < best_err) {
      best_err = err;
      best_k = k;
      if (err == 0) break;
    }
  }
  const uint32_t lp = best_k & 1, hp = best_k >> 1;
  uint32_t colour[4];
  for (uint32_t c = 0; c < 4; ++c) {
    const Bc7OptimalEndpoint& e = g_bc7_mode_7_optimal_endpoints[target[c]][hp][lp];
    results.m_low_endpoint.m_c[c] = e.m_lo;
    results.m_high_endpoint.m_c[c] = e.m_hi;
    colour[c] = bc7_interpolate(bc7_expand((e.m_lo << 1) | lp, 6),
                                bc7_expand((e.m_hi << 1) | hp, 6), g_bc7_weights2[1]);
  }
  results.m_pbits[0] = lp;
  results.m_pbits[1] = hp;
  std::memset(selectors, 1, num_pixels);
  results.m_best_overall_err = colour_error(cell, num_pixels, pixels, colour, 4);
  return results.m_best_overall_err;
}
