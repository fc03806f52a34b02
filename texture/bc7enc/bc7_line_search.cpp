#include "texture/bc7enc/bc7_line_search.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "texture/bc7enc/bc7_mode_cells.h"
#include "texture/bc7enc/bc7_principal_axis.h"
#include "texture/bc7enc/bc7_refine.h"
#include "texture/bc7enc/bc7_weights.h"

namespace {

// Endpoint pairs of the widest channel kept from the scoring for the full fit.
constexpr uint32_t kPairsKept = 4;
// Extra values searched beyond a palette step on either side of each extreme.
constexpr int32_t kWindowSlack = 4;

struct Pair {
  uint32_t err;
  int32_t lo, hi;
};

// Error of the sorted `values` against the 16-entry palette from lo to hi (lo < hi), each
// value taking its nearest entry (a tie keeps the lower one); stops at `limit`.
uint32_t channel_error(const int32_t sorted[16], int32_t lo, int32_t hi, uint32_t limit) {
  int32_t palette[16];
  for (uint32_t e = 0; e < 16; ++e)
    palette[e] = static_cast<int32_t>(
        bc7_interpolate(static_cast<uint32_t>(lo), static_cast<uint32_t>(hi), g_bc7_weights4[e]));
  uint32_t err = 0, e = 0;
  for (uint32_t i = 0; i < 16 && err < limit; ++i) {
    const int32_t twice = 2 * sorted[i];
    while (e < 15 && twice > palette[e] + palette[e + 1]) ++e;
    const int32_t d = sorted[i] - palette[e];
    err += static_cast<uint32_t>(d * d);
  }
  return err;
}

// Nearest 7-bit code with p-bit `p` to the 8-bit value v.
uint8_t code_with_pbit(float v, uint32_t p) {
  const float code = std::floor((v - static_cast<float>(p)) * 0.5f + 0.5f);
  return static_cast<uint8_t>(std::clamp(code, 0.0f, 127.0f));
}

}  // namespace

float bc7_off_line_energy(const Bc7Color* pixels) {
  const Bc7Vec4 mean = bc7_cell_mean(pixels, 16);
  const Bc7Vec4 axis = bc7_principal_axis_rgba(pixels, 16, mean);
  float energy = 0.0f;
  for (uint32_t i = 0; i < 16; ++i) {
    float d[4], along = 0.0f;
    for (uint32_t c = 0; c < 4; ++c) {
      d[c] = static_cast<float>(pixels[i].m_c[c]) - mean.m_c[c];
      along += d[c] * axis.m_c[c];
    }
    for (uint32_t c = 0; c < 4; ++c) energy += d[c] * d[c];
    energy -= along * along;
  }
  return std::max(energy, 0.0f);
}

uint64_t bc7_mode6_line_search(const Bc7Color* pixels, bool has_alpha, const Bc7Kernels& kernels,
                               Bc7BlockResult& result) {
  // The widest channel (alpha only in a block with alpha).
  uint32_t channel = 0;
  int32_t low = 0, high = -1;
  for (uint32_t c = 0; c < (has_alpha ? 4u : 3u); ++c) {
    int32_t mn = 255, mx = 0;
    for (uint32_t i = 0; i < 16; ++i) {
      mn = std::min<int32_t>(mn, pixels[i].m_c[c]);
      mx = std::max<int32_t>(mx, pixels[i].m_c[c]);
    }
    if (mx - mn > high - low) channel = c, low = mn, high = mx;
  }
  int32_t sorted[16];
  for (uint32_t i = 0; i < 16; ++i) sorted[i] = pixels[i].m_c[channel];
  std::sort(sorted, sorted + 16);

  // Pairs within a palette step (and the slack) of the extremes, the best kPairsKept by the
  // channel's error. An opaque block's endpoints carry p-bit 1: odd values only.
  const int32_t window = (high - low) / 15 + kWindowSlack;
  const int32_t step = has_alpha ? 1 : 2;
  const auto first_value = [step](int32_t v) {
    v = std::max(v, 0);
    return step == 2 ? (v | 1) : v;
  };
  Pair kept[kPairsKept];
  for (Pair& p : kept) p = {UINT32_MAX, 0, 0};
  for (int32_t lo = first_value(low - window); lo <= std::min(low + window, 255); lo += step)
    for (int32_t hi = first_value(std::max(lo + 1, high - window));
         hi <= std::min(high + window, 255); hi += step) {
      const uint32_t err = channel_error(sorted, lo, hi, kept[kPairsKept - 1].err);
      if (err >= kept[kPairsKept - 1].err) continue;
      uint32_t k = kPairsKept - 1;
      for (; k > 0 && kept[k - 1].err > err; --k) kept[k] = kept[k - 1];
      kept[k] = {err, lo, hi};
    }

  Bc7CellParams cell = bc7_mode_cell(6, has_alpha, kernels);
  cell.m_num_pixels = 16;
  cell.m_pixels = pixels;
  uint64_t best = UINT64_MAX;
  for (const Pair& pair : kept) {
    if (pair.err == UINT32_MAX) break;
    // Indices from the channel alone, the other channels fitted to them.
    uint8_t selectors[16];
    for (uint32_t i = 0; i < 16; ++i) {
      uint32_t nearest = 0, nearest_err = UINT32_MAX;
      for (uint32_t e = 0; e < 16; ++e) {
        const int32_t d =
            static_cast<int32_t>(pixels[i].m_c[channel]) -
            static_cast<int32_t>(bc7_interpolate(
                static_cast<uint32_t>(pair.lo), static_cast<uint32_t>(pair.hi), g_bc7_weights4[e]));
        if (static_cast<uint32_t>(d * d) < nearest_err)
          nearest = e, nearest_err = static_cast<uint32_t>(d * d);
      }
      selectors[i] = static_cast<uint8_t>(nearest);
    }
    Bc7Vec4 fit_low, fit_high;
    cell.m_least_squares(cell, selectors, fit_low, fit_high);
    Bc7CellCodes codes{};
    codes.pbits[0] = static_cast<uint32_t>(pair.lo & 1);
    codes.pbits[1] = static_cast<uint32_t>(pair.hi & 1);
    for (uint32_t c = 0; c < 4; ++c) {
      codes.low.m_c[c] = code_with_pbit(fit_low.m_c[c], codes.pbits[0]);
      codes.high.m_c[c] = code_with_pbit(fit_high.m_c[c], codes.pbits[1]);
    }
    codes.low.m_c[channel] = static_cast<uint8_t>(pair.lo >> 1);
    codes.high.m_c[channel] = static_cast<uint8_t>(pair.hi >> 1);
    if (!has_alpha) codes.low.m_c[3] = codes.high.m_c[3] = 127;
    uint8_t refined[16];
    const uint64_t err = bc7_refine_cell(6, cell, codes, refined);
    if (err >= best) continue;
    best = err;
    std::memset(&result, 0, sizeof result);
    result.m_mode = 6;
    result.m_low[0] = codes.low;
    result.m_high[0] = codes.high;
    result.m_pbits[0][0] = codes.pbits[0];
    result.m_pbits[0][1] = codes.pbits[1];
    std::memcpy(result.m_selectors, refined, 16);
  }
  return best;
}
