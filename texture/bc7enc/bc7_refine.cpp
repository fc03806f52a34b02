#include "texture/bc7enc/bc7_refine.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "texture/bc7enc/bc7_least_squares.h"
#include "texture/bc7enc/bc7_mode_cells.h"
#include "texture/bc7enc/bc7_vec.h"
#include "texture/bc7enc/bc7_weights.h"

namespace {

// Sweeps over all moves before giving up; a sweep that improves nothing ends the search sooner.
constexpr uint32_t kMaxSweeps = 8;

uint64_t evaluate(const Bc7CellParams& cell, const Bc7CellCodes& k, uint64_t best_err,
                  uint8_t selectors[16]) {
  uint32_t lo[4], hi[4];
  for (uint32_t c = 0; c < 4; ++c) {
    if (cell.m_has_pbits) {
      const uint32_t ph = k.pbits[cell.m_endpoints_share_pbit ? 0 : 1];
      lo[c] =
          bc7_expand(static_cast<uint32_t>(k.low.m_c[c]) << 1 | k.pbits[0], cell.m_comp_bits + 1);
      hi[c] = bc7_expand(static_cast<uint32_t>(k.high.m_c[c]) << 1 | ph, cell.m_comp_bits + 1);
    } else {
      lo[c] = bc7_expand(k.low.m_c[c], cell.m_comp_bits);
      hi[c] = bc7_expand(k.high.m_c[c], cell.m_comp_bits);
    }
  }
  return cell.m_evaluate_selectors(lo, hi, cell, best_err, selectors);
}

// Scalar palette error with each value's nearest entry. The palette runs monotonically from
// low to high, so a value's nearest entry is the count of midpoints between neighbouring
// entries that it passes (a tie keeps the lower entry).
uint64_t scalar_error(const uint8_t values[16], uint32_t bits, const uint32_t* weights,
                      uint32_t entries, uint32_t low, uint32_t high, uint8_t selectors[16]) {
  const uint32_t lo = bc7_expand(low, bits), hi = bc7_expand(high, bits);
  const int32_t sign = hi >= lo ? 1 : -1;
  int32_t palette[16], midpoints[15];
  for (uint32_t e = 0; e < entries; ++e)
    palette[e] = static_cast<int32_t>(bc7_interpolate(lo, hi, weights[e]));
  for (uint32_t e = 0; e + 1 < entries; ++e) midpoints[e] = sign * (palette[e] + palette[e + 1]);
  uint64_t total = 0;
  for (uint32_t i = 0; i < 16; ++i) {
    const int32_t v = values[i], twice = sign * 2 * v;
    uint32_t entry = 0;
    for (uint32_t e = 0; e + 1 < entries; ++e) entry += twice > midpoints[e] ? 1 : 0;
    selectors[i] = static_cast<uint8_t>(entry);
    const int32_t d = v - palette[entry];
    total += static_cast<uint64_t>(d * d);
  }
  return total;
}

}  // namespace

uint64_t bc7_refine_cell(uint32_t mode, const Bc7CellParams& cell, Bc7CellCodes& codes,
                         uint8_t selectors[16]) {
  const uint32_t n = cell.m_num_pixels;
  const uint32_t top = (1u << cell.m_comp_bits) - 1;
  const uint32_t channels = cell.m_has_alpha ? 4 : 3;
  const bool free_pbits = cell.m_has_pbits && (mode != 6 || cell.m_has_alpha);
  uint64_t err = evaluate(cell, codes, UINT64_MAX, selectors);
  uint8_t trial_selectors[16];
  bool improved = true;
  const auto attempt = [&](const Bc7CellCodes& trial) {
    const uint64_t e = evaluate(cell, trial, err, trial_selectors);
    if (e >= err) return;
    err = e;
    codes = trial;
    std::memcpy(selectors, trial_selectors, n);
    improved = true;
  };
  for (uint32_t sweep = 0; sweep < kMaxSweeps && improved && err > 0; ++sweep) {
    improved = false;
    for (uint32_t c = 0; c < channels; ++c) {
      for (const int32_t step : {-1, 1}) {
        const int32_t l = codes.low.m_c[c] + step, h = codes.high.m_c[c] + step;
        const bool l_ok = l >= 0 && l <= static_cast<int32_t>(top);
        const bool h_ok = h >= 0 && h <= static_cast<int32_t>(top);
        Bc7CellCodes trial = codes;
        if (l_ok) {
          trial.low.m_c[c] = static_cast<uint8_t>(l);
          attempt(trial);
          trial = codes;
        }
        if (h_ok) {
          trial.high.m_c[c] = static_cast<uint8_t>(h);
          attempt(trial);
          trial = codes;
        }
        if (l_ok && h_ok) {
          trial.low.m_c[c] = static_cast<uint8_t>(l);
          trial.high.m_c[c] = static_cast<uint8_t>(h);
          attempt(trial);
        }
      }
    }
    if (free_pbits) {
      for (const uint32_t flip : {1u, 2u, 3u}) {
        if (cell.m_endpoints_share_pbit && flip != 1) break;
        Bc7CellCodes trial = codes;
        trial.pbits[0] ^= flip & 1;
        trial.pbits[1] ^= flip >> 1;
        attempt(trial);
      }
    }
    // Least squares from the current selectors, quantised afresh.
    Bc7Vec4 low, high;
    cell.m_least_squares(cell, selectors, low, high);
    const Bc7EndpointCodes fitted = cell.m_quantise_endpoints(
        mode, bc7_vec_scale(low, 1.0f / 255.0f), bc7_vec_scale(high, 1.0f / 255.0f), cell);
    Bc7CellCodes trial{fitted.m_low, fitted.m_high, {fitted.m_pbits[0], fitted.m_pbits[1]}};
    if (!cell.m_has_alpha) {  // alpha codes stay as they were (opaque mode 6: 127)
      trial.low.m_c[3] = codes.low.m_c[3];
      trial.high.m_c[3] = codes.high.m_c[3];
    }
    attempt(trial);
  }
  return err;
}

uint64_t bc7_refine_scalar(const uint8_t values[16], uint32_t bits, uint32_t index_bits,
                           uint32_t sweeps, uint8_t& low, uint8_t& high, uint8_t selectors[16]) {
  const uint32_t* weights = bc7_weights_of(index_bits);
  const uint32_t entries = 1u << index_bits;
  const int32_t top = static_cast<int32_t>((1u << bits) - 1);
  uint8_t trial_selectors[16];
  uint64_t err = scalar_error(values, bits, weights, entries, low, high, selectors);
  bool improved = true;
  const auto attempt = [&](int32_t l, int32_t h) {
    if (l < 0 || h < 0 || l > top || h > top) return;
    const uint64_t e = scalar_error(values, bits, weights, entries, static_cast<uint32_t>(l),
                                    static_cast<uint32_t>(h), trial_selectors);
    if (e >= err) return;
    err = e;
    low = static_cast<uint8_t>(l);
    high = static_cast<uint8_t>(h);
    std::memcpy(selectors, trial_selectors, 16);
    improved = true;
  };
  for (uint32_t sweep = 0; sweep < sweeps && improved && err > 0; ++sweep) {
    improved = false;
    for (const int32_t step : {-1, 1}) {
      attempt(low + step, high);
      attempt(low, high + step);
      attempt(low + step, high + step);
    }
    float fl, fh;
    bc7_least_squares_1d(16, values, selectors, weights, fl, fh);
    const auto code = [top](float v) {
      return static_cast<int32_t>(std::clamp(
          std::floor(v * static_cast<float>(top) / 255.0f + 0.5f), 0.0f, static_cast<float>(top)));
    };
    attempt(code(fl), code(fh));
  }
  return err;
}

uint64_t bc7_result_error(const Bc7BlockResult& r, const Bc7Color* pixels) {
  const Bc7ModeShape shape = bc7_mode_shape(r.m_mode);
  const bool two_sets = r.m_mode == 4 || r.m_mode == 5;
  const bool swap_sets = r.m_mode == 4 && r.m_index_selector != 0;
  const uint32_t* colour_weights = bc7_weights_of(swap_sets ? 3 : shape.index_bits);
  const uint32_t* alpha_weights = bc7_weights_of(r.m_mode == 4 && !swap_sets ? 3 : 2);
  uint32_t lo[3][4], hi[3][4];
  for (uint32_t s = 0; s < shape.subsets; ++s) {
    for (uint32_t c = 0; c < 4; ++c) {
      const bool alpha = c == 3;
      if (alpha && shape.alpha_bits == 0) {
        lo[s][c] = hi[s][c] = 255;
        continue;
      }
      const uint32_t bits = alpha ? shape.alpha_bits : shape.comp_bits;
      if (shape.pbits == 0) {
        lo[s][c] = bc7_expand(r.m_low[s].m_c[c], bits);
        hi[s][c] = bc7_expand(r.m_high[s].m_c[c], bits);
      } else {
        const uint32_t pl = r.m_pbits[s][0], ph = shape.pbits == 1 ? pl : r.m_pbits[s][1];
        lo[s][c] = bc7_expand(static_cast<uint32_t>(r.m_low[s].m_c[c]) << 1 | pl, bits + 1);
        hi[s][c] = bc7_expand(static_cast<uint32_t>(r.m_high[s].m_c[c]) << 1 | ph, bits + 1);
      }
    }
  }
  uint64_t total = 0;
  for (uint32_t i = 0; i < 16; ++i) {
    const uint32_t s = bc7_subset_of(shape.subsets, r.m_partition, i);
    int32_t decoded[4];
    for (uint32_t c = 0; c < 4; ++c) {
      const uint32_t w = c == 3 && two_sets ? alpha_weights[r.m_alpha_selectors[i]]
                                            : colour_weights[r.m_selectors[i]];
      decoded[c] = static_cast<int32_t>(bc7_interpolate(lo[s][c], hi[s][c], w));
    }
    if (r.m_rotation != 0) std::swap(decoded[3], decoded[r.m_rotation - 1]);
    for (uint32_t c = 0; c < 4; ++c) {
      const int32_t d = decoded[c] - static_cast<int32_t>(pixels[i].m_c[c]);
      total += static_cast<uint64_t>(d * d);
    }
  }
  return total;
}

uint64_t bc7_refine_result(Bc7BlockResult& result, const Bc7Color* pixels, bool has_alpha,
                           const Bc7Kernels& kernels) {
  const uint64_t before = bc7_result_error(result, pixels);
  if (before == 0) return 0;
  Bc7BlockResult trial = result;
  const uint32_t mode = trial.m_mode;
  const Bc7ModeShape shape = bc7_mode_shape(mode);
  if (mode == 4 || mode == 5) {
    Bc7Color rotated[16];
    uint8_t values[16];
    for (uint32_t i = 0; i < 16; ++i) {
      rotated[i] = pixels[i];
      if (trial.m_rotation != 0) std::swap(rotated[i].m_c[3], rotated[i].m_c[trial.m_rotation - 1]);
      values[i] = rotated[i].m_c[3];
    }
    const bool swap_sets = mode == 4 && trial.m_index_selector != 0;
    Bc7CellParams cell = bc7_mode_cell(mode, false, kernels, swap_sets ? 3 : shape.index_bits);
    cell.m_num_pixels = 16;
    cell.m_pixels = rotated;
    Bc7CellCodes codes{trial.m_low[0], trial.m_high[0], {0, 0}};
    bc7_refine_cell(mode, cell, codes, trial.m_selectors);
    for (uint32_t c = 0; c < 3; ++c) {
      trial.m_low[0].m_c[c] = codes.low.m_c[c];
      trial.m_high[0].m_c[c] = codes.high.m_c[c];
    }
    bc7_refine_scalar(values, shape.alpha_bits, mode == 4 && !swap_sets ? 3 : 2, kMaxSweeps,
                      trial.m_low[0].m_c[3], trial.m_high[0].m_c[3], trial.m_alpha_selectors);
  } else {
    for (uint32_t s = 0; s < shape.subsets; ++s) {
      Bc7Color subset_pixels[16];
      uint8_t subset_index[16], selectors[16];
      uint32_t count = 0;
      for (uint8_t i = 0; i < 16; ++i) {
        if (bc7_subset_of(shape.subsets, trial.m_partition, i) != s) continue;
        subset_index[count] = i;
        subset_pixels[count++] = pixels[i];
      }
      Bc7CellParams cell = bc7_mode_cell(mode, has_alpha, kernels);
      cell.m_num_pixels = count;
      cell.m_pixels = subset_pixels;
      Bc7CellCodes codes{
          trial.m_low[s], trial.m_high[s], {trial.m_pbits[s][0], trial.m_pbits[s][1]}};
      bc7_refine_cell(mode, cell, codes, selectors);
      trial.m_low[s] = codes.low;
      trial.m_high[s] = codes.high;
      trial.m_pbits[s][0] = codes.pbits[0];
      trial.m_pbits[s][1] = codes.pbits[1];
      for (uint32_t k = 0; k < count; ++k) trial.m_selectors[subset_index[k]] = selectors[k];
    }
  }
  const uint64_t after = bc7_result_error(trial, pixels);
  if (after >= before) return before;
  result = trial;
  return after;
}
