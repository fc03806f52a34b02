#include "texture/bc7enc/bc7_mode5.h"

#include <cassert>
#include <cmath>
#include <cstring>

#include "texture/bc7enc/bc7_cell_compress.h"
#include "texture/bc7enc/bc7_least_squares.h"
#include "texture/bc7enc/bc7_weights.h"

namespace {

// Alpha endpoints and 2-bit selectors: alternate nearest-entry selection and a least-squares
// refit of the endpoints, keeping the best pass. Returns the alpha error.
uint64_t search_alpha(const uint8_t alphas[16], uint32_t weight_a, uint32_t passes, uint32_t lo,
                      uint32_t hi, Bc7BlockResult& result) {
  uint64_t best_err = UINT64_MAX;
  uint8_t selectors[16];
  for (uint32_t pass = 0; pass < passes; ++pass) {
    int32_t palette[4];
    for (uint32_t e = 0; e < 4; ++e)
      palette[e] = static_cast<int32_t>(bc7_interpolate(lo, hi, g_bc7_weights2[e]));
    uint64_t err = 0;
    for (uint32_t i = 0; i < 16; ++i) {
      uint32_t best_e = 0, best_d = UINT32_MAX;
      for (uint32_t e = 0; e < 4; ++e) {
        const int32_t d = static_cast<int32_t>(alphas[i]) - palette[e];
        const uint32_t d2 = static_cast<uint32_t>(d * d);
        if (d2 < best_d) best_d = d2, best_e = e;
      }
      selectors[i] = static_cast<uint8_t>(best_e);
      err += static_cast<uint64_t>(weight_a) * best_d;
    }
    if (err < best_err) {
      best_err = err;
      result.m_low[0].m_c[3] = static_cast<uint8_t>(lo);
      result.m_high[0].m_c[3] = static_cast<uint8_t>(hi);
      std::memcpy(result.m_alpha_selectors, selectors, 16);
    }
    if (pass + 1 == passes) break;

    float fl, fh;
    bc7_least_squares_1d(16, alphas, selectors, g_bc7_weights2, fl, fh);
    const auto round8 = [](float x) {
      return static_cast<uint32_t>(std::clamp(std::floor(x + 0.5f), 0.0f, 255.0f));
    };
    const uint32_t a = round8(fl), b = round8(fh);
    const uint32_t new_lo = std::min(a, b), new_hi = std::max(a, b);
    if (new_lo == lo && new_hi == hi) break;
    lo = new_lo;
    hi = new_hi;
  }
  return best_err;
}

}  // namespace

uint64_t bc7_mode5_search(const Bc7Color* pixels, const Bc7BlockParams& block, uint32_t alpha_min,
                          uint32_t alpha_max, Bc7BlockResult& result, const Bc7Kernels& kernels,
                          const Bc7Vec4* colour_axis) {
  std::memset(&result, 0, sizeof result);
  result.m_mode = 5;

  uint8_t selectors[16], selectors_temp[16];
  Bc7CellParams cell{};
  cell.m_num_pixels = 16;
  cell.m_pixels = pixels;
  cell.m_num_selector_weights = 4;
  cell.m_selector_weights = g_bc7_weights2;
  cell.m_selector_weightsx = g_bc7_weights2x.data();
  cell.m_comp_bits = 7;
  std::memcpy(cell.m_weights, block.m_weights, sizeof cell.m_weights);
  bc7_use_cell_kernels(cell, kernels);
  Bc7CellResults results5{};
  results5.m_selectors = selectors;
  results5.m_selectors_temp = selectors_temp;
  const uint64_t colour_err = bc7_cell_compress(5, cell, results5, block, colour_axis);
  [[maybe_unused]] const uint64_t* pMode5_err = &colour_err;
  assert(*pMode5_err == results5.m_best_overall_err);

  for (int c = 0; c < 3; ++c) {
    result.m_low[0].m_c[c] = results5.m_low_endpoint.m_c[c];
    result.m_high[0].m_c[c] = results5.m_high_endpoint.m_c[c];
  }
  std::memcpy(result.m_selectors, selectors, 16);

  uint64_t alpha_err = 0;
  if (alpha_min == alpha_max) {
    result.m_low[0].m_c[3] = result.m_high[0].m_c[3] = static_cast<uint8_t>(alpha_min);
  } else {
    uint8_t alphas[16];
    for (int i = 0; i < 16; ++i) alphas[i] = pixels[i].m_c[3];
    const uint32_t passes = block.m_refinement_level > 0 ? 3 : 2;
    alpha_err = search_alpha(alphas, block.m_weights[3], passes, alpha_min, alpha_max, result);
  }
  return colour_err + alpha_err;
}
